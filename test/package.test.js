'use strict';
// The package as a user's project takes it: installed under node_modules, imported as an ES
// module and required as CommonJS (one addon for both), the README's API example run as written,
// TypeScript compiled against it with the settings the README gives, and the errors the README
// lists thrown as listed.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { compilerEnv, RULES } = require('./helpers');

const ROOT = path.join(__dirname, '..');
const README = fs.readFileSync(path.join(ROOT, 'README.md'), 'utf8');
const TSC = require.resolve('typescript/bin/tsc');

// A project folder whose node_modules holds this package (and the Node.js types), as an install
// would leave it.
function project(t, files) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vexa-user-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  fs.mkdirSync(path.join(dir, 'node_modules', '@types'), { recursive: true });
  fs.symlinkSync(ROOT, path.join(dir, 'node_modules', 'vexa-frontend'), 'dir');
  fs.symlinkSync(path.dirname(require.resolve('@types/node/package.json')), path.join(dir, 'node_modules', '@types', 'node'), 'dir');
  for (const [name, text] of Object.entries(files)) fs.writeFileSync(path.join(dir, name), text);
  return dir;
}

function node(dir, file) {
  const out = spawnSync(process.execPath, [file], { cwd: dir, encoding: 'utf8', timeout: 60000 });
  assert.equal(out.error, undefined);
  return out;
}

test('the README\'s API example runs as written and prints what the README shows', (t) => {
  const example = README.match(/## API\n\n```js\n([\s\S]*?)```\n\nSaved as `example\.mjs`, it prints:\n\n```console\n([\s\S]*?)```/);
  assert.ok(example, 'the README shows no API example with its output');
  const dir = project(t, { 'example.mjs': example[1] });
  const out = node(dir, 'example.mjs');
  assert.equal(out.stderr, '');
  assert.equal(out.stdout, example[2]);
});

test('import and require give the same functions, and every subpath loads both ways', (t) => {
  const dir = project(t, {
    'main.mjs': [
      "import { parse, keywords } from 'vexa-frontend';",
      "import * as entry from 'vexa-frontend';",
      "import { format, MESSAGES } from 'vexa-frontend/messages';",
      "import { configFor, CONFIG_FILE_NAME } from 'vexa-frontend/config';",
      "import { createRequire } from 'node:module';",
      'const require = createRequire(import.meta.url);',
      "const cjs = require('vexa-frontend');",
      'console.log(JSON.stringify({',
      '  entry: Object.keys(entry).sort(),',
      '  same: cjs.parse === parse && cjs.keywords === keywords,',
      "  messages: format('VEXA1203') === MESSAGES[1203].text,",
      "  config: CONFIG_FILE_NAME === 'vexa.json' && configFor(null, { cwd: '/' }).problems.length === 0,",
      '}));',
      "const kw = keywords({ instructions: ['NOP'] }, false);",
      `const result = await parse('m.vx', Buffer.from('  NOP\\n'), kw.reference, ${JSON.stringify(RULES)});`,
      'console.log(result.nodes[0].name);',
    ].join('\n'),
  });
  const out = node(dir, 'main.mjs');
  assert.equal(out.stderr, '');
  assert.equal(out.stdout, '{"entry":["keywords","parse"],"same":true,"messages":true,"config":true}\nNOP\n');
});

test('TypeScript compiles an ES module and a CommonJS file against the package as the README says', (t) => {
  const settings = README.match(/```json\n(\{ "compilerOptions": [^\n]*)\n```/);
  assert.ok(settings, 'the README gives no compiler settings');
  const use = (kind) => [
    kind === 'esm' ? "import { keywords, parse, type ParseResult } from 'vexa-frontend';" : "import { keywords, parse } from 'vexa-frontend';",
    "import { format } from 'vexa-frontend/messages';",
    "import { configFor } from 'vexa-frontend/config';",
    'export async function run(file: string): Promise<string[]> {',
    '  const { settings } = configFor(file);',
    '  const kw = keywords(settings.keywords, settings.strictKeywords);',
    "  const result = await parse(file, Buffer.from(''), kw.reference, settings.rules);",
    kind === 'esm' ? '  const typed: ParseResult = result;' : '  const typed = result;',
    '  // @ts-expect-error rules need all four keys',
    "  void parse(file, Buffer.from(''), kw.reference, { 'core.strict': true });",
    '  return typed.diagnostics.map((d) => format(d));',
    '}',
  ].join('\n');
  const dir = project(t, {
    'tsconfig.json': settings[1],
    'package.json': '{ "private": true }',
    'esm.mts': use('esm'),
    'cjs.cts': use('cjs'),
  });
  const out = spawnSync(process.execPath, [TSC, '--noEmit', '-p', dir], { cwd: dir, encoding: 'utf8', timeout: 120000, env: compilerEnv() });
  assert.equal(out.error, undefined);
  assert.equal(out.stdout + out.stderr, '');
  assert.equal(out.status, 0);
});

test('the errors the README lists are thrown as listed', () => {
  const { keywords, parse } = require('vexa-frontend');
  const rows = [...README.matchAll(/^\| `(keywords|parse)` \| (\w+) \| ([^|]+?) \| ([^|]+?) \|$/gm)];
  assert.ok(rows.length >= 12, `${rows.length} rows`);
  const kw = keywords({}, false);
  const gone = keywords({}, false);
  gone.dispose();
  const buffer = Buffer.from('');
  // How each listed cause is brought about, by the row's message.
  const causes = {
    'Expected two arguments': () => keywords({}),
    'Expected a keywords object': () => keywords('MOV', false),
    'Expected a strictness flag': () => keywords({}, 1),
    'An array was expected': () => keywords({ instructions: 'MOV' }, false),
    'A string was expected': () => keywords({ instructions: [1] }, false),
    'Expected four arguments': () => parse('a', buffer, kw.reference),
    'Expected a target name': () => parse(1, buffer, kw.reference, RULES),
    'Expected a code-buffer': () => parse('a', 'text', kw.reference, RULES),
    'Expected a keywords reference': () => parse('a', buffer, '0', RULES),
    'Expected some compilation rules': () => parse('a', buffer, kw.reference, null),
    'A boolean was expected': () => parse('a', buffer, kw.reference, { ...RULES, 'syntax.parseBlocks': undefined }),
    'A number was expected': () => parse('a', buffer, kw.reference, { ...RULES, 'core.dialect': '1' }),
    'Unknown keywords reference N: no keyword table is registered under it': () => parse('a', buffer, gone.reference, RULES),
  };
  for (const [, , type, message] of rows) {
    const cause = causes[message];
    assert.ok(cause, `no cause known for "${message}"`);
    const expected = message.replace(' N:', ` ${gone.reference}:`);
    assert.throws(cause, (error) => error.constructor.name === type && error.message === expected, message);
  }
  kw.dispose();
});
