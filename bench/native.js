'use strict';
// Native parse benchmark: `node bench/native.js` (run by `npm run bench` after bench/run.js).
//
// Builds build-bench/vexa_bench (node scripts/build.js bench), writes the sources of bench/run.js
// (bench/generate.js, seed 1, default line weights) at 1, 10 and 64 MiB to temporary files, and
// runs the binary once per file, so that each file's memory is measured in a fresh process. The
// binary times parseProgram alone (lexing and parsing, no Node-API, no conversion) next to a
// memchr scan of the same bytes for line feeds, counts instructions where the kernel lets it, and
// measures what a result holds before conversion. Prints a Markdown table.
//
// Options: --quick (or BENCH_QUICK=1) measures 1 MiB only; --no-build uses the binary as it is;
// VEXA_BENCH_BINARY=<file> runs another binary (not built here).
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { generate } = require('./generate.js');

const root = path.join(__dirname, '..');
const argv = new Set(process.argv.slice(2));
const QUICK = argv.has('--quick') || process.env.BENCH_QUICK === '1';
const MIB = 1024 * 1024;
const SIZES = QUICK ? [['1 MiB', MIB]] : [['1 MiB', MIB], ['10 MiB', 10 * MIB], ['64 MiB', 64 * MIB]];
// VEXA_BENCH_BINARY measures another build (an older commit's) with the same sources.
const BINARY = process.env.VEXA_BENCH_BINARY
  ? path.resolve(process.env.VEXA_BENCH_BINARY)
  : path.join(root, 'build-bench', 'vexa_bench');

function build() {
  const run = spawnSync(process.execPath, [path.join(root, 'scripts', 'build.js'), 'bench'], {
    cwd: root,
    encoding: 'utf8',
  });
  if (run.status !== 0) {
    process.stderr.write(run.stdout + run.stderr);
    throw new Error('building the native benchmark failed');
  }
}

function fixed(value, digits) {
  return value === null || !Number.isFinite(value) ? '–' : value.toFixed(digits);
}

function main() {
  if (!argv.has('--no-build') && !process.env.VEXA_BENCH_BINARY) build();
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vexa-native-'));
  try {
    const rows = [];
    for (const [label, bytes] of SIZES) {
      const generated = generate({ seed: 1, bytes });
      const source = path.join(dir, `${bytes}.vx`);
      const words = path.join(dir, `${bytes}.words`);
      fs.writeFileSync(source, generated.source);
      fs.writeFileSync(words, Object.entries(generated.keywords)
        .flatMap(([category, list]) => list.map((word) => `${category} ${word}\n`)).join(''));
      generated.source = null;
      process.stderr.write(`native ${label}: parsing\n`);
      const run = spawnSync(BINARY, [words, source], { encoding: 'utf8' });
      fs.rmSync(source);
      if (run.status !== 0) throw new Error(`vexa_bench failed: ${run.stderr}`);
      rows.push({ label, ...JSON.parse(run.stdout) });
    }
    const header = [
      'Input', 'Nodes', 'parseProgram', 'MB/s', 'encoding after the parse', 'parse + encoding as the addon runs them',
      'MB/s', 'encoding ÷ parse', 'memchr scan MB/s', 'parse ÷ scan',
      'instructions / byte', 'RSS held / byte', 'malloc heap held / byte',
    ];
    const lines = [header, header.map(() => '---')];
    for (const r of rows) {
      const mbps = (ms) => r.bytes / 1e6 / (ms / 1000);
      lines.push([
        r.label, String(r.nodes), `${fixed(r.parseMs, 1)} ms (min ${fixed(r.parseMinMs, 1)}, ${r.parses} runs)`,
        fixed(mbps(r.parseMs), 1), `${fixed(r.encodeMs, 1)} ms`, `${fixed(r.fusedMs, 1)} ms`,
        fixed(mbps(r.fusedMs), 1), fixed((r.fusedMs - r.parseMs) / r.parseMs, 2),
        fixed(mbps(r.scanMs), 0),
        `${fixed(r.parseMs / r.scanMs, 0)}×`,
        r.instructions === null ? 'n/a' : fixed(r.instructions / r.bytes, 1),
        fixed(r.residentGrowth / r.bytes, 2), fixed(r.heapGrowth / r.bytes, 2),
      ]);
    }
    process.stdout.write([
      '',
      `Native (${path.relative(root, BINARY)}), ${new Date().toISOString().replace(/\.\d+Z$/, 'Z')}; load ` +
        `average ${os.loadavg().map((x) => x.toFixed(2)).join(' ')}`,
      '',
      lines.map((cells) => `| ${cells.join(' | ')} |`).join('\n'),
      '',
      '- parseProgram: lexing and parsing alone, nodes kept, median of the runs; MB = 10^6 bytes.',
      '- encoding after the parse: the compact encoding of the kept nodes, one after the other.',
      '- parse + encoding as the addon runs them: each statement encoded as soon as it is parsed, its ' +
        'node memory reused, the records taken in chunks of 1 MiB whose memory is reused at once; ' +
        'encoding ÷ parse: (that − parseProgram) ÷ parseProgram.',
      '- memchr scan: line feeds counted with memchr over the same bytes, the floor for any reader.',
      '- instructions / byte: user-space instructions of one parse (kernel performance counters; n/a ' +
        'where the kernel refuses them).',
      '- held / byte: growth of the resident set, and of the bytes malloc has handed out, while the ' +
        'first parse\'s result is held, before any conversion, per source byte (node arena blocks are ' +
        'mapped directly and show in the resident set only).',
      '',
    ].join('\n'));
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

main();
