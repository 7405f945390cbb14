'use strict';
// The layering of src/: the order is read from the "Layers, lowest first:" line of README.md, and
// every #include of a file under src/ must name its own folder or a lower layer. Node-API headers
// may be included under src/addon/ only, which keeps the lexer, parser and fuzz target free of a
// JavaScript engine. Each failure lists every offending line.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');

const ROOT = path.join(__dirname, '..');
const PREFIX = 'Layers, lowest first:';
const SOURCE = /\.(c|cc|cpp|cxx|h|hh|hpp|hxx|inc|ipp)$/;
const INCLUDE = /^\s*#\s*include\s*[<"]([^>"]+)[>"]/;
const NODE_API = /(^|\/)(napi|node_api|js_native_api)(_types)?\.h$/;
// Registers every statement kind, so it alone reaches up to the statement folders.
const STATEMENT_LIST = 'src/parser/statement_list.cc';

// Folder name -> rank, lowest layer 0; folders of one group ("a | b") share a rank.
function readLayers() {
  const lines = fs.readFileSync(path.join(ROOT, 'README.md'), 'utf8').split('\n')
    .filter((line) => line.startsWith(PREFIX));
  assert.equal(lines.length, 1, `README.md must state the layers once, on a line starting "${PREFIX}"`);
  const ranks = new Map();
  lines[0].slice(PREFIX.length).trim().replace(/\.$/, '').split('→').forEach((group, rank) => {
    for (const item of group.split('|')) {
      const name = /^`([^`]+)`$/.exec(item.trim())?.[1];
      assert.ok(name, `README.md layer line: cannot read "${item.trim()}"`);
      ranks.set(name, rank);
    }
  });
  return ranks;
}

function* sources(dir) {
  if (!fs.existsSync(dir)) return;
  for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) yield* sources(full);
    else if (SOURCE.test(entry.name)) yield path.relative(ROOT, full).split(path.sep).join('/');
  }
}

// [file, line number, included path, line text] for every include in the file.
function includes(file) {
  const found = [];
  fs.readFileSync(path.join(ROOT, file), 'utf8').split('\n').forEach((text, i) => {
    const match = INCLUDE.exec(text);
    if (match) found.push([file, i + 1, match[1], text.trim()]);
  });
  return found;
}

function fail(offences) {
  if (offences.length > 0) assert.fail(`${offences.length} offending line(s):\n${offences.join('\n')}`);
}

test('files under src/ include only their own folder and lower layers', () => {
  const ranks = readLayers();
  const statementRank = ranks.get('statement');
  const offences = [];
  for (const file of sources(path.join(ROOT, 'src'))) {
    const parts = file.split('/');
    const own = parts.length > 2 ? parts[1] : null;
    if (!ranks.has(own)) {
      offences.push(`${file}: lies in no layer named in README.md`);
      continue;
    }
    for (const [, line, target, text] of includes(file)) {
      const folder = target.includes('/') ? target.split('/')[0] : null;
      // Headers of the standard library and of other packages are not ours to order.
      if (folder === null || (!ranks.has(folder) && !fs.existsSync(path.join(ROOT, 'src', folder)))) {
        continue;
      }
      const allowed = folder === own ||
        ranks.get(folder) < ranks.get(own) ||
        (file === STATEMENT_LIST && ranks.get(folder) === statementRank);
      if (!allowed) {
        const why = ranks.has(folder) ? `${own} may not include ${folder}` : `${folder} is no layer`;
        offences.push(`${file}:${line}: ${text} (${why})`);
      }
    }
  }
  fail(offences);
});

test('only src/addon/ includes Node-API headers', () => {
  const offences = [];
  for (const dir of ['src', 'fuzz', 'bench']) {
    for (const file of sources(path.join(ROOT, dir))) {
      if (file.startsWith('src/addon/')) continue;
      for (const [, line, target, text] of includes(file)) {
        if (NODE_API.test(target)) offences.push(`${file}:${line}: ${text}`);
      }
    }
  }
  fail(offences);
});
