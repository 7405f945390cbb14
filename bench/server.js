'use strict';
// Language server benchmark: a protocol client drives the server binary over its standard
// streams, on sources from bench/generate.js, and prints one table:
// - change → published diagnostics at 10 KiB, 100 KiB and 1 MiB, beside the parse alone;
// - a burst of 100 changes 5 ms apart on 100 KiB: from the last change to its diagnostics;
// - definition and references on 1 MiB;
// - resident memory of the server before and after many edits of 100 KiB.
// Options: --edits N (edits for the memory run, 10000 by default), --quick (fewer samples).
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { parse, keywords } = require('..');
const { generate } = require('./generate.js');
const { startClient } = require('../test/lsp-client.js');

const argv = process.argv.slice(2);
const option = (name, fallback) => {
  const i = argv.indexOf(name);
  return i >= 0 ? Number(argv[i + 1]) : fallback;
};
const QUICK = argv.includes('--quick');
const EDITS = option('--edits', 10000);
const KIB = 1024;
const RULES = { 'core.strict': false, 'core.dialect': 0, 'syntax.parseBlocks': true, 'diagnostic.limit': 0 };
// Appended to each source so that definition and references have a known name to work on.
const TAIL = 'BENCH_TARGET:\n    JMP BENCH_TARGET\n';

const percentile = (list, p) => {
  const sorted = [...list].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor((p / 100) * sorted.length))];
};
const ms = (n) => n.toFixed(2);
const now = () => Number(process.hrtime.bigint()) / 1e6;
const rss = (pid) => Number(/VmRSS:\s+(\d+)/.exec(fs.readFileSync(`/proc/${pid}/status`, 'utf8'))[1]) / 1024;

function source(bytes) {
  const generated = generate({ seed: 1, bytes });
  return { text: generated.source + TAIL, keywords: generated.keywords };
}

async function parseAlone(text, words, samples) {
  const table = keywords(words, false);
  const buffer = Buffer.from(text);
  const times = [];
  // Warm-up runs first, as the server's parses are warm by the time they are timed.
  for (let i = 0; i < 5; i++) await parse('bench.vx', buffer, table.reference, RULES);
  for (let i = 0; i < samples; i++) {
    const start = now();
    await parse('bench.vx', buffer, table.reference, RULES);
    times.push(now() - start);
  }
  table.dispose();
  return times;
}

async function main() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vexa-bench-server-'));
  const rows = [];
  const words = source(1).keywords;
  fs.writeFileSync(path.join(dir, 'vexa.json'), JSON.stringify({ keywords: words, rules: RULES }));
  // The parse alone first, in this process while it holds nothing else.
  const SIZES = [['10 KiB', 10 * KIB, 300], ['100 KiB', 100 * KIB, 100], ['1 MiB', 1024 * KIB, 20]];
  const alone = new Map();
  for (const [label, bytes, samples] of SIZES) alone.set(label, await parseAlone(source(bytes).text, words, QUICK ? Math.ceil(samples / 5) : samples));
  const client = await startClient({ root: dir });
  try {
    let version = 1;
    /** One edit at the end (a character added to or taken from the last line) and its diagnostics. */
    const edit = async (uri, text, i) => {
      const lines = text.split('\n').length - 1;
      const change = i % 2 === 0
        ? { range: { start: { line: lines, character: 0 }, end: { line: lines, character: 0 } }, text: ';' }
        : { range: { start: { line: lines, character: 0 }, end: { line: lines, character: 1 } }, text: '' };
      const from = client.received.length;
      const v = ++version;
      const start = now();
      client.change(uri, v, [change]);
      await client.diagnostics(uri, v, from);
      const took = now() - start;
      // What the client keeps of past messages would only slow this process down.
      client.received.length = 0;
      return took;
    };

    const open = async (name, text) => {
      const uri = pathToFileURL(path.join(dir, name)).href;
      version = 1;
      client.open(uri, text);
      await client.diagnostics(uri, 1);
      return uri;
    };

    for (const [label, bytes, samples] of SIZES) {
      const n = QUICK ? Math.ceil(samples / 5) : samples;
      const { text } = source(bytes);
      const parseTimes = /** @type {number[]} */ (alone.get(label));
      const uri = await open(`s${bytes}.vx`, text);
      const times = [];
      for (let i = 0; i < n; i++) times.push(await edit(uri, text, i));
      rows.push([`change → diagnostics, ${label}`, ms(percentile(times, 50)), ms(percentile(times, 99)),
        `parse alone p50 ${ms(percentile(parseTimes, 50))}, p99 ${ms(percentile(parseTimes, 99))}; ratio ${(percentile(times, 50) / percentile(parseTimes, 50)).toFixed(2)}`]);
      client.connection.sendNotification('textDocument/didClose', { textDocument: { uri } });
    }

    {
      const { text } = source(100 * KIB);
      const onceAlone = percentile(/** @type {number[]} */ (alone.get('100 KiB')), 50);
      const uri = await open('burst.vx', text);
      const lines = text.split('\n').length - 1;
      const from = client.received.length;
      let last = 0;
      for (let i = 0; i < 100; i++) {
        const v = ++version;
        client.change(uri, v, [{ range: { start: { line: lines, character: 0 }, end: { line: lines, character: 0 } }, text: 'x' }]);
        last = now();
        if (i < 99) await new Promise((resolve) => setTimeout(resolve, 5));
      }
      await client.diagnostics(uri, version, from);
      const after = now() - last;
      const published = client.received.slice(from).filter((m) => m.method === 'textDocument/publishDiagnostics' && m.params.uri === uri).length;
      rows.push(['burst of 100 changes 5 ms apart, 100 KiB: last change → its diagnostics', ms(after), '',
        `one parse p50 ${ms(onceAlone)}; ${published} publications for 100 versions`]);
      client.connection.sendNotification('textDocument/didClose', { textDocument: { uri } });
    }

    {
      const { text } = source(1024 * KIB);
      const uri = await open('nav.vx', text);
      const lines = text.split('\n').length - 1;
      const at = { textDocument: { uri }, position: { line: lines - 1, character: 10 } };
      for (const method of ['textDocument/definition', 'textDocument/references']) {
        const times = [];
        let count = 0;
        for (let i = 0; i < (QUICK ? 20 : 100); i++) {
          const start = now();
          const result = await client.request(method, { ...at, context: { includeDeclaration: true } });
          times.push(now() - start);
          count = result.length;
        }
        rows.push([`${method.slice(13)}, 1 MiB`, ms(percentile(times, 50)), ms(percentile(times, 99)), `${count} locations`]);
      }
      client.connection.sendNotification('textDocument/didClose', { textDocument: { uri } });
    }

    {
      const { text } = source(100 * KIB);
      const uri = await open('memory.vx', text);
      for (let i = 0; i < 50; i++) await edit(uri, text, i);
      const before = rss(client.child.pid);
      for (let i = 0; i < EDITS; i++) await edit(uri, text, i);
      const after = rss(client.child.pid);
      rows.push([`resident memory over ${EDITS} edits, 100 KiB`, '', '', `${ms(before)} MiB before, ${ms(after)} MiB after: growth ${ms(after - before)} MiB`]);
    }
  } finally {
    await client.stop();
    fs.rmSync(dir, { recursive: true, force: true });
  }

  const header = ['Measure', 'p50 ms', 'p99 ms', 'Beside it'];
  const table = [header, header.map(() => '---'), ...rows].map((r) => `| ${r.join(' | ')} |`).join('\n');
  process.stdout.write(`Language server (bench/generate.js seed 1, ${os.cpus().length} cores, Node ${process.version})\n\n${table}\n`);
}

main().catch((error) => {
  console.error(error);
  process.exitCode = 1;
});
