#!/usr/bin/env node
// Builds the libFuzzer target and fuzzes for VEXA_FUZZ_SECONDS (60 by default) in a working corpus
// beside the target (build-fuzz/corpus/, ignored by git): the committed fuzz/corpus/ is copied in,
// seeds from the golden sources under test/golden/ and from small sources of the benchmark
// generator are added, and libFuzzer replays all of it first, so every seed and every input found
// before is run again on each start. Afterwards the working corpus is merge-minimised, so that it
// keeps only inputs that add coverage. The checkout stays as it was unless `--update` (or
// VEXA_FUZZ_UPDATE=1) is given: then the minimised corpus replaces fuzz/corpus/, to be committed.
// Further arguments are passed on to libFuzzer (e.g. `npm run fuzz -- -jobs=2`);
// VEXA_FUZZ_MERGE=0 skips the merge.
'use strict';
const { spawnSync } = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');

const root = path.resolve(__dirname, '..');
const committed = path.join(root, 'fuzz', 'corpus');
const dictionary = path.join(root, 'fuzz', 'vexa.dict');
const target = path.join(root, process.env.VEXA_BUILD_DIR || 'build-fuzz', 'vexa_fuzz');
const corpus = path.join(path.dirname(target), 'corpus');
const UPDATE = process.argv.includes('--update') || process.env.VEXA_FUZZ_UPDATE === '1';
const libFuzzerArgs = process.argv.slice(2).filter((arg) => arg !== '--update');
// The target reads its first byte as the rule selector, not as source text: bit 0 strict rules,
// bit 1 block parsing, bits 2-3 the diagnostic limit, bit 4 a strict keyword table. Seeds parse
// the way the golden files mostly do: block parsing on, everything else off.
const SELECTOR = 0x02;
// Generated seeds: one source per line kind (that kind alone, then mixed with the rest) plus a few
// of the default mix, each under several selectors so that strict rules, a strict keyword table and
// the diagnostic limits start out covered too.
const GENERATED_BYTES = 1500;
const GENERATED_SELECTORS = [0x00, 0x02, 0x03, 0x0e, 0x13, 0x1f];

const seconds = process.env.VEXA_FUZZ_SECONDS || '60';
if (!/^[1-9][0-9]*$/.test(seconds)) {
  console.error(`VEXA_FUZZ_SECONDS must be a whole number of seconds, not "${seconds}"`);
  process.exit(2);
}

// AddressSanitizer's default quarantine (256 MB of freed memory held back) makes nearly every
// allocation touch fresh pages, and page faults then cost more than the parse itself; a small
// quarantine still catches a use right after free, at several times the executions per second.
const env = { ...process.env };
if (env.ASAN_OPTIONS === undefined) env.ASAN_OPTIONS = 'quarantine_size_mb=16:max_malloc_fill_size=0';

function run(command, args) {
  const result = spawnSync(command, args, { cwd: root, stdio: 'inherit', env });
  if (result.error) {
    console.error(`${command}: ${result.error.message}`);
    process.exit(1);
  }
  return result.status ?? 1;
}

function* goldenSources(dir) {
  for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) yield* goldenSources(full);
    else if (entry.name.endsWith('.vx')) yield full;
  }
}

// One seed per golden source, named by a hash of its bytes, so that a source already seeded is
// recognised and a changed source gets a seed of its own.
function seed() {
  fs.mkdirSync(corpus, { recursive: true });
  // What was committed since the last run joins the working corpus; nothing there is overwritten.
  if (fs.existsSync(committed)) fs.cpSync(committed, corpus, { recursive: true, force: false });
  let added = 0;
  const put = (selector, source) => {
    const bytes = Buffer.concat([Buffer.from([selector]), source]);
    const file = path.join(corpus, crypto.createHash('sha1').update(bytes).digest('hex').slice(0, 16));
    if (fs.existsSync(file)) return;
    fs.writeFileSync(file, bytes);
    added++;
  };
  for (const source of goldenSources(path.join(root, 'test', 'golden'))) {
    put(SELECTOR, fs.readFileSync(source));
  }
  for (const { source, selector } of generatedSources()) put(selector, Buffer.from(source));
  console.log(`fuzz: ${added} new seed(s) in ${path.relative(root, corpus)}`);
}

function* generatedSources() {
  const { generate, kinds } = require('../bench/generate.js');
  const only = (kind) => Object.fromEntries(Object.keys(kinds).map((k) => [k, k === kind ? 1 : 0]));
  const mixes = [];
  for (const kind of Object.keys(kinds)) mixes.push(only(kind), { [kind]: 50 });
  mixes.push({}, {});
  let seedNumber = 1;
  for (const weights of mixes) {
    const eol = seedNumber % 3 === 0 ? '\r\n' : '\n';
    const { source } = generate({ seed: seedNumber, bytes: GENERATED_BYTES, weights, eol });
    const selector = GENERATED_SELECTORS[seedNumber % GENERATED_SELECTORS.length];
    seedNumber++;
    yield { source, selector };
  }
}

// Keeps only the inputs that add coverage: libFuzzer merges the corpus into an empty directory,
// which then takes the corpus's place. Nothing is replaced when the merge fails.
function minimise() {
  const fresh = `${corpus}.merge`;
  fs.rmSync(fresh, { recursive: true, force: true });
  fs.mkdirSync(fresh);
  const before = fs.readdirSync(corpus).length;
  const status = run(target, ['-merge=1', '-max_len=4096', fresh, corpus]);
  if (status !== 0) {
    fs.rmSync(fresh, { recursive: true, force: true });
    console.error(`fuzz: merge failed (status ${status}); ${path.relative(root, corpus)} left as it was`);
    return status;
  }
  fs.rmSync(corpus, { recursive: true, force: true });
  fs.renameSync(fresh, corpus);
  const files = fs.readdirSync(corpus);
  const bytes = files.reduce((sum, file) => sum + fs.statSync(path.join(corpus, file)).size, 0);
  console.log(`fuzz: corpus minimised from ${before} to ${files.length} file(s), ${bytes} bytes`);
  return 0;
}

const built = run(process.execPath, [path.join(__dirname, 'build.js'), 'fuzz']);
if (built !== 0) process.exit(built);
seed();
const artifacts = path.join(path.dirname(target), 'artifacts');
fs.mkdirSync(artifacts, { recursive: true });
const args = [corpus, `-max_total_time=${seconds}`, '-max_len=4096', `-artifact_prefix=${artifacts}/`];
if (fs.existsSync(dictionary)) args.push(`-dict=${dictionary}`);
const fuzzed = run(target, [...args, ...libFuzzerArgs]);
if (fuzzed !== 0) console.error(`fuzz: libFuzzer ended with status ${fuzzed}; see ${path.relative(root, artifacts)}`);
const merged = process.env.VEXA_FUZZ_MERGE === '0' ? 0 : minimise();
if (UPDATE && fuzzed === 0 && merged === 0) {
  fs.rmSync(committed, { recursive: true, force: true });
  fs.cpSync(corpus, committed, { recursive: true });
  console.log(`fuzz: ${path.relative(root, committed)} replaced by the minimised corpus (--update)`);
} else if (!UPDATE) {
  console.log(`fuzz: ${path.relative(root, committed)} left as it is; --update would replace it`);
}
process.exit(fuzzed || merged);
