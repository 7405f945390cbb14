'use strict';
// Project settings (vexa-frontend/config): what a vexa.json text yields or which problems it has,
// where on the line they are, how the file is found from a source's folder, and that the cache
// follows changes to the file.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const config = require('vexa-frontend/config');

const { readConfigText, defaultSettings } = config;
const DEFAULTS = defaultSettings();

function tempDir(t) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vexa-config-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  return dir;
}

test('defaults are the shipped keyword set and the rules the command line uses, fresh on each call', () => {
  const shipped = require('../lib/default-keywords.json');
  assert.deepEqual(DEFAULTS, {
    keywords: { instructions: [], precodes: shipped.precodes, directives: shipped.directives, commands: shipped.commands },
    strictKeywords: false,
    rules: { 'core.strict': false, 'core.dialect': 0, 'syntax.parseBlocks': true, 'diagnostic.limit': 0 },
  });
  const a = defaultSettings();
  a.keywords.directives.push('X');
  a.rules['core.strict'] = true;
  assert.deepEqual(defaultSettings(), DEFAULTS);
  assert.equal(config.CONFIG_FILE_NAME, 'vexa.json');
});

test('settings a file gives replace those defaults, list by list and rule by rule', () => {
  const cases = [
    ['{}', DEFAULTS],
    ['\ufeff{ }\n', DEFAULTS],
    ['{"keywords": {"instructions": ["MOV", "NOP"]}}',
      { ...DEFAULTS, keywords: { ...DEFAULTS.keywords, instructions: ['MOV', 'NOP'] } }],
    ['{"keywords": {"directives": [], "commands": ["#LOG"]}, "strictKeywords": true}',
      { ...DEFAULTS, keywords: { ...DEFAULTS.keywords, directives: [], commands: ['#LOG'] }, strictKeywords: true }],
    ['{"rules": {"core.strict": true, "diagnostic.limit": 4294967295}}',
      { ...DEFAULTS, rules: { ...DEFAULTS.rules, 'core.strict': true, 'diagnostic.limit': 4294967295 } }],
    ['{"rules": {"core.dialect": 3, "syntax.parseBlocks": false}}',
      { ...DEFAULTS, rules: { ...DEFAULTS.rules, 'core.dialect': 3, 'syntax.parseBlocks': false } }],
  ];
  for (const [text, settings] of cases) {
    assert.deepEqual(readConfigText(text, '/p/vexa.json'), { file: '/p/vexa.json', settings, problems: [] }, text);
  }
});

test('every problem names its key and points at the text, and leaves the defaults in force', () => {
  // [text, [[line, column, offset, length, key, message]]]
  const cases = [
    ['{"keywords": {"instruction": ["MOV"]}}',
      [[1, 15, 14, 13, 'keywords.instruction', 'unknown key "instruction": did you mean "instructions"?']]],
    ['{\n  "Keywords": {}\n}',
      [[2, 3, 4, 10, 'Keywords', 'unknown key "Keywords": did you mean "keywords"?']]],
    ['{"colour": 1}',
      [[1, 2, 1, 8, 'colour', 'unknown key "colour": the top level takes "keywords", "strictKeywords" and "rules"']]],
    ['{"keywords": {"commands": "#HMI"}}',
      [[1, 27, 26, 6, 'keywords.commands', '"keywords.commands" must be an array of strings, not a string']]],
    ['{"keywords": {\n"precodes": ["NOJ",\n  7]}}',
      [[3, 3, 37, 1, 'keywords.precodes', '"keywords.precodes" must be an array of strings, but item 2 is the number 7']]],
    ['{"keywords": ["MOV"]}',
      [[1, 14, 13, 7, 'keywords', '"keywords" must be an object of the lists "instructions", "precodes", "directives" and "commands", not an array']]],
    ['{"strictKeywords": "yes"}',
      [[1, 20, 19, 5, 'strictKeywords', '"strictKeywords" must be true or false, not a string']]],
    ['{"rules": {"core.strict": 1, "diagnostic.limit": -1, "core.dialect": 2.5}}',
      [[1, 27, 26, 1, 'rules.core.strict', '"rules.core.strict" must be true or false, not the number 1'],
        [1, 50, 49, 2, 'rules.diagnostic.limit', '"rules.diagnostic.limit" must be a whole number from 0 to 4294967295, not the number -1'],
        [1, 70, 69, 3, 'rules.core.dialect', '"rules.core.dialect" must be a whole number from 0 to 4294967295, not the number 2.5']]],
    ['{"rules": {"core.dialect": 4294967296, "syntax.parseblocks": true}}',
      [[1, 28, 27, 10, 'rules.core.dialect', '"rules.core.dialect" must be a whole number from 0 to 4294967295, not the number 4294967296'],
        [1, 40, 39, 20, 'rules.syntax.parseblocks', 'unknown key "syntax.parseblocks": did you mean "syntax.parseBlocks"?']]],
    ['{"rules": null}',
      [[1, 11, 10, 4, 'rules', '"rules" must be an object of the rules "core.strict", "core.dialect", "syntax.parseBlocks" and "diagnostic.limit", not null']]],
    ['{"strictKeywords": true, "strictKeywords": false}',
      [[1, 26, 25, 16, 'strictKeywords', '"strictKeywords" is given twice']]],
    ['[]', [[1, 1, 0, 2, null, 'expected an object of settings ("keywords", "strictKeywords" and "rules"), not an array']]],
    // Invalid JSON, at the character where reading stopped; columns count characters, not UTF-16
    // units, and a byte-order mark counts for nothing.
    ['', [[1, 1, 0, 0, null, 'invalid JSON: expected a value, found the end of the file']]],
    ['{"keywords": {},}', [[1, 17, 16, 1, null, 'invalid JSON: expected a key in double quotes, found "}"']]],
    ['\ufeff{"rules": {}\n  "keywords": {}}', [[2, 3, 16, 1, null, 'invalid JSON: expected "," or "}", found """']]],
    ['{"a𝔸": x}', [[1, 8, 8, 1, null, 'invalid JSON: expected a value, found "x"']]],
    ['{"rules": {} // note\n}', [[1, 14, 13, 1, null, 'invalid JSON: expected "," or "}", found "/"']]],
    ['{"keywords": {"instructions": ["MOV\n"]}}', [[1, 36, 35, 1, null, 'invalid JSON: line break or control character inside a string']]],
    ['{"keywords": {"instructions": ["\\q"]}}', [[1, 32, 31, 4, null, 'invalid JSON: invalid escape sequence in a string']]],
    ['{"keywords": {"instructions": ["MOV', [[1, 32, 31, 4, null, 'invalid JSON: unterminated string']]],
    ['{} {}', [[1, 4, 3, 1, null, 'invalid JSON: expected the end of the file after the value, found "{"']]],
    ['\x01', [[1, 1, 0, 1, null, 'invalid JSON: expected a value, found character U+0001']]],
    ['['.repeat(100000), [[1, 65, 64, 1, null, 'invalid JSON: nested more than 64 levels deep']]],
  ];
  for (const [text, expected] of cases) {
    const loaded = readConfigText(text, 'vexa.json');
    const problems = expected.map(([line, column, offset, length, key, message]) => ({ file: 'vexa.json', line, column, offset, length, key, message }));
    assert.deepEqual(loaded, { file: 'vexa.json', settings: DEFAULTS, problems }, text.slice(0, 60));
  }
});

test('the nearest vexa.json to the source folder is found, a folder of that name is passed over', (t) => {
  const root = tempDir(t);
  const deep = path.join(root, 'a', 'b', 'c');
  fs.mkdirSync(deep, { recursive: true });
  fs.mkdirSync(path.join(root, 'a', 'b', 'vexa.json'));
  fs.writeFileSync(path.join(root, 'vexa.json'), '{"rules": {"core.strict": true}}');
  fs.writeFileSync(path.join(root, 'a', 'c.vx'), '');
  assert.equal(config.findConfig(deep), path.join(root, 'vexa.json'));

  const strict = { ...DEFAULTS, rules: { ...DEFAULTS.rules, 'core.strict': true } };
  const cases = [
    [path.join(deep, 'x.vx'), {}, path.join(root, 'vexa.json'), strict],
    ['c.vx', { cwd: path.join(root, 'a') }, path.join(root, 'vexa.json'), strict],
    [null, { cwd: deep }, path.join(root, 'vexa.json'), strict],
  ];
  for (const [source, options, file, settings] of cases) {
    assert.deepEqual(config.configFor(source, options), { file, settings, problems: [] }, String(source));
  }

  fs.writeFileSync(path.join(root, 'a', 'vexa.json'), '{"strictKeywords": true}');
  assert.equal(config.configFor(path.join(deep, 'x.vx')).file, path.join(root, 'a', 'vexa.json'));
  assert.equal(config.configFor(path.join(deep, 'x.vx')).settings.strictKeywords, true);
});

test('no vexa.json up to the root gives the defaults and no file', (t) => {
  const root = tempDir(t);
  // The temporary folder may itself sit below a vexa.json; only then is there something to find.
  const above = config.findConfig(root);
  const loaded = config.configFor(null, { cwd: root });
  if (above === null) assert.deepEqual(loaded, { file: null, settings: DEFAULTS, problems: [] });
  else assert.equal(loaded.file, above);
});

test('loadConfig caches by path, sees every change to the file, and hands out copies', (t) => {
  const dir = tempDir(t);
  const file = path.join(dir, 'vexa.json');
  fs.writeFileSync(file, '{"rules": {"core.dialect": 1}}');
  const first = config.loadConfig(file);
  assert.equal(first.file, file);
  assert.equal(first.settings.rules['core.dialect'], 1);
  first.settings.rules['core.dialect'] = 99;
  assert.equal(config.loadConfig(file).settings.rules['core.dialect'], 1);

  // The same size and the same modification time: the change time and identity still tell.
  fs.writeFileSync(file, '{"rules": {"core.dialect": 2}}');
  const stamp = new Date('2020-01-01T00:00:00Z');
  fs.utimesSync(file, stamp, stamp);
  assert.equal(config.loadConfig(file).settings.rules['core.dialect'], 2);
  // Replaced by another file (as editors save): the new one is read.
  fs.writeFileSync(file + '.new', '{"rules": {"core.dialect": 3}}');
  fs.renameSync(file + '.new', file);
  assert.equal(config.loadConfig(path.relative(process.cwd(), file)).settings.rules['core.dialect'], 3);
  config.clearConfigCache(file);
  config.clearConfigCache();
  assert.equal(config.loadConfig(file).settings.rules['core.dialect'], 3);
});

test('a settings file that cannot be read is one problem at 1:1', (t) => {
  const dir = tempDir(t);
  const cases = [
    [path.join(dir, 'missing.json'), 'cannot read the settings: no such file'],
    [dir, 'cannot read the settings: is a directory'],
  ];
  for (const [file, message] of cases) {
    assert.deepEqual(config.loadConfig(file), {
      file, settings: DEFAULTS, problems: [{ file, line: 1, column: 1, offset: 0, length: 0, key: null, message }],
    });
  }
});

test('a keywords file holds the four lists alone; a list left out is empty', () => {
  const none = { instructions: [], precodes: [], directives: [], commands: [] };
  const cases = [
    ['{"instructions": ["MOV"], "commands": ["#HMI"]}', { ...none, instructions: ['MOV'], commands: ['#HMI'] }, []],
    ['{"instructions": ["MOV"], "rules": {}}', none,
      [[1, 27, 26, 7, 'rules', 'unknown key "rules": a keywords file takes "instructions", "precodes", "directives" and "commands"']]],
    ['{"precodes": "NOJ"}', none, [[1, 14, 13, 5, 'precodes', '"precodes" must be an array of strings, not a string']]],
    ['["MOV"]', none, [[1, 1, 0, 7, null, 'expected an object of the lists "instructions", "precodes", "directives" and "commands", not an array']]],
  ];
  for (const [text, keywords, expected] of cases) {
    const problems = expected.map(([line, column, offset, length, key, message]) => ({ file: 'k.json', line, column, offset, length, key, message }));
    assert.deepEqual(config.readKeywordsText(text, 'k.json'), { file: 'k.json', keywords, problems }, text);
  }
});
