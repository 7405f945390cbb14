#!/usr/bin/env node
// Builds the libFuzzer target, seeds fuzz/corpus/ from the golden sources under test/golden/ and
// fuzzes for VEXA_FUZZ_SECONDS (60 by default). libFuzzer replays the whole corpus first, so every
// golden source and every input found before is run again on each start. Further arguments are
// passed on to libFuzzer (e.g. `npm run fuzz -- -jobs=4`).
'use strict';
const { spawnSync } = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');

const root = path.resolve(__dirname, '..');
const corpus = path.join(root, 'fuzz', 'corpus');
const dictionary = path.join(root, 'fuzz', 'vexa.dict');
const target = path.join(root, process.env.VEXA_BUILD_DIR || 'build-fuzz', 'vexa_fuzz');
// The target reads its first byte as the rule selector, not as source text: bit 0 strict rules,
// bit 1 block parsing, bits 2-3 the diagnostic limit, bit 4 a strict keyword table. Seeds parse
// the way the golden files mostly do: block parsing on, everything else off.
const SELECTOR = 0x02;

const seconds = process.env.VEXA_FUZZ_SECONDS || '60';
if (!/^[1-9][0-9]*$/.test(seconds)) {
  console.error(`VEXA_FUZZ_SECONDS must be a whole number of seconds, not "${seconds}"`);
  process.exit(2);
}

function run(command, args) {
  const result = spawnSync(command, args, { cwd: root, stdio: 'inherit' });
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
  let added = 0;
  for (const source of goldenSources(path.join(root, 'test', 'golden'))) {
    const bytes = Buffer.concat([Buffer.from([SELECTOR]), fs.readFileSync(source)]);
    const file = path.join(corpus, crypto.createHash('sha1').update(bytes).digest('hex').slice(0, 16));
    if (fs.existsSync(file)) continue;
    fs.writeFileSync(file, bytes);
    added++;
  }
  console.log(`fuzz: ${added} new seed(s) in ${path.relative(root, corpus)}`);
}

const built = run(process.execPath, [path.join(__dirname, 'build.js'), 'fuzz']);
if (built !== 0) process.exit(built);
seed();
const args = [corpus, `-max_total_time=${seconds}`, '-max_len=4096'];
if (fs.existsSync(dictionary)) args.push(`-dict=${dictionary}`);
process.exit(run(target, [...args, ...process.argv.slice(2)]));
