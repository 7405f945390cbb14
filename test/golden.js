'use strict';
// Golden files: walks test/golden/ for `<name>.vx` sources, resolves the configuration each one
// is parsed under, parses it and formats the result as its `<name>.json` expected file holds it.
// Shared by test/golden.test.js and by `npm run golden:update` (this file run with --update).
//
// A directory's `config.json` overrides the keys of its parent's (and `rules` key by key);
// `<name>.config.json` beside a source does the same for that source alone.
const fs = require('node:fs');
const path = require('node:path');
const { addon, table } = require('./helpers');

const ROOT = path.join(__dirname, 'golden');
const KEYS = new Set(['name', 'words', 'strict', 'rules']);

const isConfig = (file) => /(^|\.)config\.json$/.test(path.basename(file));

function readConfig(file, base) {
  if (!fs.existsSync(file)) return base;
  const own = JSON.parse(fs.readFileSync(file, 'utf8'));
  // A misspelt key would otherwise be ignored and the source parsed under the parent's settings.
  for (const key of Object.keys(own)) {
    if (!KEYS.has(key)) throw new Error(`${path.relative(ROOT, file)}: unknown key "${key}"`);
  }
  return { ...base, ...own, rules: { ...base.rules, ...own.rules } };
}

// Every source below `dir`, sorted, as { relative, source, expected, config }.
function collect(dir = ROOT, inherited = { rules: {} }) {
  const config = readConfig(path.join(dir, 'config.json'), inherited);
  const cases = [];
  const entries = fs.readdirSync(dir, { withFileTypes: true });
  entries.sort((a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0));
  for (const entry of entries) {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) {
      cases.push(...collect(full, config));
    } else if (entry.name.endsWith('.vx')) {
      const stem = full.slice(0, -'.vx'.length);
      // Its expected file would be a configuration file.
      if (isConfig(`${stem}.json`)) throw new Error(`${full}: a source may not be named like a config`);
      cases.push({
        relative: path.relative(ROOT, full).split(path.sep).join('/'),
        source: full,
        expected: `${stem}.json`,
        config: readConfig(`${stem}.config.json`, config),
      });
    }
  }
  return cases;
}

// Expected files that no source would write: left behind when a source was renamed or removed.
function orphans(dir = ROOT) {
  const found = [];
  for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) {
      found.push(...orphans(full));
    } else if (entry.name.endsWith('.json') && !isConfig(full)) {
      if (!fs.existsSync(full.slice(0, -'.json'.length) + '.vx')) found.push(path.relative(ROOT, full));
    }
  }
  return found;
}

function parse({ source, config }) {
  const { name, words, strict, rules } = config;
  return addon.parse(name, fs.readFileSync(source), table(words, strict).reference, rules);
}

const format = (result) => JSON.stringify(result, null, 2) + '\n';

async function update() {
  let changed = 0;
  const cases = collect();
  for (const item of cases) {
    const text = format(await parse(item));
    const old = fs.existsSync(item.expected) ? fs.readFileSync(item.expected, 'utf8') : null;
    if (old === text) continue;
    fs.writeFileSync(item.expected, text);
    changed++;
    console.log(`${old === null ? 'created' : 'updated'} ${path.relative(process.cwd(), item.expected)}`);
  }
  console.log(`${cases.length} golden sources, ${changed} expected file(s) written`);
}

if (require.main === module) {
  if (process.argv[2] !== '--update') {
    console.error('usage: node test/golden.js --update');
    process.exit(2);
  }
  update().catch((e) => {
    console.error(e);
    process.exit(1);
  });
}

module.exports = { ROOT, collect, orphans, parse, format };
