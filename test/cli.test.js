'use strict';
// The vexa-parse command, run as a child process: what it prints and its exit status for every
// option, for settings found or named, and for input that would break a terminal or a naive
// tool (control characters, a long line with thousands of diagnostics, hundreds of files under a
// low descriptor limit, folders, a byte-order mark, a NUL byte).
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawnSync } = require('node:child_process');

const ROOT = path.join(__dirname, '..');
const BIN = path.join(ROOT, 'bin', 'vexa-parse.js');
const DIR = path.join('test', 'fixtures', 'cli');
const CLEAN = path.join(DIR, 'clean.vx');
const ERRORS = path.join(DIR, 'errors.vx');

function cli(args, { input, cwd = ROOT, env: extra = {} } = {}) {
  const env = { ...process.env };
  delete env.FORCE_COLOR;
  env.NO_COLOR = '1';
  Object.assign(env, extra);
  const out = spawnSync(process.execPath, [BIN, ...args], {
    cwd, input, encoding: 'utf8', env, timeout: 60000, maxBuffer: 1 << 26,
  });
  assert.equal(out.error, undefined);
  return { status: out.status, stdout: out.stdout, stderr: out.stderr };
}

// A temporary folder holding `files` (name → text or Buffer), removed after the test.
function folder(t, files = {}) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vexa-cli-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  for (const [name, text] of Object.entries(files)) {
    fs.mkdirSync(path.dirname(path.join(dir, name)), { recursive: true });
    fs.writeFileSync(path.join(dir, name), text);
  }
  return dir;
}

// Each row: [args, { input, cwd }, status, stdout, stderr]; a RegExp matches, a string is exact.
function check(rows) {
  for (const [args, options, status, stdout, stderr] of rows) {
    const out = cli(args, options);
    const what = args.join(' ');
    assert.equal(out.status, status, `${what}\n${out.stdout}${out.stderr}`);
    if (stdout instanceof RegExp) assert.match(out.stdout, stdout, what);
    else assert.equal(out.stdout, stdout, what);
    if (stderr instanceof RegExp) assert.match(out.stderr, stderr, what);
    else assert.equal(out.stderr, stderr, what);
  }
}

const literal = (text) => text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
const SUMMARY = (e, w, f = 1) => `${e} error${e === 1 ? '' : 's'}, ${w} warning${w === 1 ? '' : 's'} in ${f} file${f === 1 ? '' : 's'}\n`;

test('diagnostics in the compiler convention, with the line and a caret underline', () => {
  check([
    [[CLEAN], {}, 0, SUMMARY(0, 0), ''],
    [[ERRORS], {}, 1, [
      `${ERRORS}:1:16: error VEXA1203: unexpected token after the end of the statement`,
      '    MOV R1, 12 X',
      '               ^',
      `${ERRORS}:2:16: error VEXA2005: expected a value`,
      '\tMOV "Δt", #7 ,',
      '\t              ^',
      SUMMARY(2, 0),
    ].join('\n'), ''],
    // A missing file is named and the others are still parsed.
    [[CLEAN, 'missing.vx', ERRORS], {}, 2, new RegExp(`${literal(SUMMARY(2, 0, 2))}$`), 'vexa-parse: missing.vx: no such file\n'],
    [['--limit', 'x', CLEAN], {}, 2, '', /--limit takes a whole number/],
    [['--dialect', '4294967296', CLEAN], {}, 2, '', /--dialect takes a whole number/],
    [['--bogus', CLEAN], {}, 2, '', /Unknown option '--bogus'/],
    [[], {}, 2, '', /no input files/],
    [['--json', '--tree', CLEAN], {}, 2, '', "vexa-parse: --json and --tree exclude each other\nTry 'vexa-parse --help'.\n"],
    [['--version'], {}, 0, `${require('../package.json').version}\n`, ''],
  ]);
});

test('--help names every option the command takes', () => {
  const out = cli(['--help']);
  assert.equal(out.status, 0);
  const source = fs.readFileSync(BIN, 'utf8');
  const options = [...source.slice(source.indexOf('const OPTIONS')).matchAll(/^ {2}'?([\w-]+)'?: \{ type/gm)].map((m) => m[1]);
  assert.ok(options.length >= 11, options.join(' '));
  for (const option of options) assert.match(out.stdout, new RegExp(`^  --${option}\\b`, 'm'), option);
});

test('each option changes what the parser is asked for', (t) => {
  const dir = folder(t, {
    'label.vx': 'L1: MOV A, 4\n',
    'equ.vx': 'X equ 5\n',
    'block.vx': ';<main>\n  NOP\n',
    'words.json': '{"instructions": ["MOV"]}',
    'bad-words.json': '{"instructions": [1]}',
    'typo-words.json': '{"instruction": ["MOV"]}',
  });
  const at = (name) => path.join(dir, name);
  const labelError = `${at('label.vx')}:1:5: error VEXA1203: unexpected token after the end of the statement\nL1: MOV A, 4\n    ^~~\n`;
  check([
    // Without lists MOV is no instruction; with them the line is clean.
    [['--keywords', at('words.json'), at('label.vx')], {}, 0, SUMMARY(0, 0), ''],
    [['--keywords', at('missing.json'), at('label.vx')], {}, 2, '', /cannot read keywords from .*missing\.json: no such file/],
    [['--keywords', at('bad-words.json'), at('label.vx')], {}, 2, '',
      `${at('bad-words.json')}:1:19: error: "instructions" must be an array of strings, but item 1 is the number 1\n`],
    [['--keywords', at('typo-words.json'), at('label.vx')], {}, 2, '',
      `${at('typo-words.json')}:1:2: error: unknown key "instruction": did you mean "instructions"?\n`],
    [['--limit', '0', at('label.vx')], {}, 1, new RegExp(`^${literal(labelError)}note: "MOV" is in no keyword list`), ''],
    // Keywords match in any case unless --strict-keywords; names compare exactly under --strict,
    // where a lower-case directive word is no directive.
    [[at('equ.vx')], {}, 0, SUMMARY(0, 0), ''],
    [['--strict-keywords', at('equ.vx')], {}, 1, new RegExp(`:1:3: error VEXA1203: .*\n[^]*${literal(SUMMARY(1, 1))}$`), ''],
    [['--strict', at('equ.vx')], {}, 1, new RegExp(`^${literal(at('equ.vx'))}:1:3: error VEXA9001: no directive is spelt like this: `), ''],
    // Block tags are read unless --no-blocks.
    [['--tree', at('block.vx')], {}, 0, /\n {2}Statement::BlockTag 1:1-1:8 tag="main"\n {2}Instruction/, ''],
    [['--tree', '--no-blocks', at('block.vx')], {}, 0, `${at('block.vx')}\n  Instruction 2:3-2:6 name="NOP" precode=0\n${SUMMARY(0, 0)}`, ''],
    // The dialect is handed through and changes nothing the parser does.
    [['--dialect', '7', '--keywords', at('words.json'), at('label.vx')], {}, 0, SUMMARY(0, 0), ''],
  ]);
});

test('--limit shows the first diagnostics in the parser\'s order and says how many were left out', (t) => {
  const dir = folder(t, { 'many.vx': '  NOP \x01\n  NOP \x02\n  NOP \x03\n' });
  const file = path.join(dir, 'many.vx');
  const out = cli(['--limit', '2', file]);
  assert.equal(out.status, 1);
  assert.deepEqual(out.stdout.split('\n').filter((l) => l.startsWith(file)), [
    `${file}:1:7: error VEXA1002: unexpected control character U+0001`,
    `${file}:2:7: error VEXA1002: unexpected control character U+0002`,
  ]);
  assert.match(out.stdout, /\n3 errors, 0 warnings in 1 file \(2 of 3 diagnostics shown\)\n$/);
  const json = JSON.parse(cli(['--json', '--limit', '2', file]).stdout);
  assert.deepEqual(json.diagnostics.map((d) => d.args), [['Control Code'], ['Control Code']]);
});

test('--json prints one result object per file and line; "-" reads standard input once', () => {
  const out = cli(['--json', CLEAN, '-', 'missing.vx', '-'], { input: '    NOP\n' });
  assert.equal(out.status, 2);
  assert.equal(out.stderr, 'vexa-parse: missing.vx: no such file\n');
  const [file, stdin, missing, again] = out.stdout.trimEnd().split('\n').map((line) => JSON.parse(line));
  assert.equal(file.file, CLEAN);
  assert.deepEqual(file.nodes.map((n) => [n.name, n.filePath, n.precode]), [
    ['MOV', CLEAN, 0], ['JMP', CLEAN, 239],
  ]);
  const expected = {
    file: '-',
    optimize: 0,
    nodes: [{
      range: { start: { line: 0, character: 4 }, end: { line: 0, character: 7 } },
      type: 16, filePath: '<stdin>', name: 'NOP', precode: 0, operands: [],
    }],
    diagnostics: [],
  };
  assert.deepEqual(stdin, expected);
  assert.deepEqual(missing, { file: 'missing.vx', error: 'no such file' });
  assert.deepEqual(again, expected);
});

test('--tree prints the nodes as an outline and marks the nodes the parser made up', (t) => {
  const dir = folder(t, { 'def.vx': 'X DEFSEM\n' });
  check([
    [['--tree', CLEAN], {}, 0, [
      CLEAN,
      '  Instruction 1:5-1:8 name="MOV" precode=0',
      '    operands:',
      '      Syntax::Name 1:9-1:11 identifier="R1"',
      '      Syntax::Integer 1:13-1:15 value=12 buffer="12"',
      '  Instruction 2:10-2:13 name="JMP" precode=239',
      '    operands:',
      '      Syntax::Name 2:14-2:18 identifier="LOOP"',
      SUMMARY(0, 0),
    ].join('\n'), ''],
    [['--tree', 'def.vx'], { cwd: dir }, 0, [
      'def.vx',
      '  Directive::DEF::Memory 1:1-1:2 label="X" refc=0 multiplier=1',
      '    size:',
      '      Syntax::Integer (made up, not in the source) value=1 buffer="1"',
      '    address:',
      '      Syntax::Integer (made up, not in the source) value=-1 buffer="-1"',
      SUMMARY(0, 0),
    ].join('\n'), ''],
  ]);
});

test('the first run the README shows is what the example prints', () => {
  const readme = fs.readFileSync(path.join(ROOT, 'README.md'), 'utf8');
  const shown = readme.match(/```console\n\$ npx vexa-parse (\S+)\n([\s\S]*?)```/);
  assert.ok(shown, 'the README shows no first run');
  const out = cli([shown[1]]);
  assert.equal(out.stdout, shown[2]);
  assert.equal(out.status, 1);
});

test('FORCE_COLOR paints severities, locations and carets even into a pipe', () => {
  const out = cli([ERRORS], { env: { FORCE_COLOR: '1' } });
  assert.equal(out.status, 1);
  const lines = out.stdout.split('\n');
  assert.equal(lines[0], `\x1b[1m${ERRORS}:1:16:\x1b[0m \x1b[1;31merror\x1b[0m VEXA1203: ` +
    'unexpected token after the end of the statement');
  assert.equal(lines[2], `${' '.repeat(15)}\x1b[1;32m^\x1b[0m`);
  // Without it, a pipe gets plain text (the other tests run that way).
  assert.doesNotMatch(cli([ERRORS]).stdout, /\x1b\[/);
});

test('no control character of the input reaches the terminal, in excerpts, messages or outlines', (t) => {
  const dir = folder(t, {
    'esc.vx': Buffer.concat([
      Buffer.from('  NOP \x1b[2J\x07\n'),
      Buffer.from('#HMI a("\x1b]0;title\x07", "\xc2\x85\xe2\x80\xae")\n', 'latin1'),
      Buffer.from([0x20, 0x20, 0x4e, 0x4f, 0x50, 0x20, 0x7f, 0x80, 0x80, 0x20, 0xe2, 0x80, 0xae, 0x0a]),
    ]),
  });
  const out = cli(['esc.vx'], { cwd: dir });
  assert.equal(out.stdout, [
    'esc.vx:1:7: error VEXA1002: unexpected control character U+001B',
    '  NOP \\x1b[2J\\x07',
    '      ^~~~',
    'esc.vx:1:8: error VEXA1002: unexpected character "["',
    '  NOP \\x1b[2J\\x07',
    '          ^',
    'esc.vx:1:10: error VEXA1203: unexpected token after the end of the statement',
    '  NOP \\x1b[2J\\x07',
    '            ^',
    'esc.vx:1:11: error VEXA1002: unexpected control character U+0007',
    '  NOP \\x1b[2J\\x07',
    '             ^~~~',
    'esc.vx:3:7: error VEXA1002: unexpected control character U+007F',
    '  NOP \\x7f\\x80\\x80 \\u202e',
    '      ^~~~',
    'esc.vx:3:8: error VEXA1002: unexpected character "\\x80\\x80"',
    '  NOP \\x7f\\x80\\x80 \\u202e',
    '          ^~~~~~~~',
    'esc.vx:3:10: error VEXA1002: unexpected control character U+202E',
    '  NOP \\x7f\\x80\\x80 \\u202e',
    '                   ^~~~~~',
    SUMMARY(7, 0),
  ].join('\n'));
  const tree = cli(['--tree', 'esc.vx'], { cwd: dir });
  assert.match(tree.stdout, /Syntax::Text 2:8-2:20 value="\\u001b\]0;title\\u0007"\n.*Syntax::Text 2:22-2:26 value="\\u0085\\u202e"\n/);
  for (const text of [out.stdout, tree.stdout]) assert.doesNotMatch(text, /[\x00-\x08\x0b-\x1f\x7f-\x9f\u202a-\u202e]/);
  // JSON stays exact: the texts are the source's own.
  const json = JSON.parse(cli(['--json', 'esc.vx'], { cwd: dir }).stdout);
  assert.deepEqual(json.nodes[1].methods[0].args.map((a) => a.value), ['\x1b]0;title\x07', '\x85\u202e']);
});

test('a long line with 20,000 diagnostics shows a window of it under each', (t) => {
  const dir = folder(t, { 'long.vx': `  ${'\x01 '.repeat(20000)}\n` });
  const out = cli(['long.vx'], { cwd: dir });
  assert.equal(out.status, 1);
  const lines = out.stdout.split('\n');
  assert.equal(lines.length, 3 * 20000 + 2);
  assert.equal(lines.at(-2), SUMMARY(20000, 0).trimEnd());
  // The first at the line's start, cut at the end; one in the middle, cut at both ends with the
  // caret under its character; the last, cut at the start only.
  const window = (n) => lines.slice(3 * n, 3 * n + 3);
  assert.deepEqual(window(0), [
    'long.vx:1:3: error VEXA1002: unexpected control character U+0001',
    `  ${'\\x01 '.repeat(19)}...`,
    '  ^~~~',
  ]);
  assert.deepEqual(window(10000), [
    'long.vx:1:20003: error VEXA1002: unexpected control character U+0001',
    `...${'\\x01 '.repeat(20)}...`,
    `${' '.repeat(33)}^~~~`,
  ]);
  assert.deepEqual(window(19999), [
    'long.vx:1:40001: error VEXA1002: unexpected control character U+0001',
    `...${'\\x01 '.repeat(7)}`,
    `${' '.repeat(33)}^~~~`,
  ]);
  for (let i = 1; i < lines.length - 2; i += 3) assert.ok(lines[i].length <= 106, lines[i]);
});

test('600 files under a limit of 256 open files are all parsed and reported in argument order', { skip: process.platform === 'win32' }, (t) => {
  const files = {};
  for (let i = 0; i < 600; i++) files[`f${String(i).padStart(3, '0')}.vx`] = `  NOP 1 X${i}\n`;
  const dir = folder(t, files);
  const out = spawnSync('/bin/sh', ['-c', `ulimit -n 256 && exec "${process.execPath}" "${BIN}" *.vx`], {
    cwd: dir, encoding: 'utf8', env: { ...process.env, NO_COLOR: '1' }, timeout: 120000,
  });
  assert.equal(out.error, undefined);
  assert.equal(out.stderr, '');
  assert.equal(out.status, 1);
  const heads = out.stdout.split('\n').filter((l) => l.includes('VEXA1203'));
  assert.deepEqual(heads, Object.keys(files).map((name) => `${name}:1:9: error VEXA1203: unexpected token after the end of the statement`));
  assert.match(out.stdout, new RegExp(`\n${literal(SUMMARY(600, 0, 600))}$`));
});

test('a folder, a byte-order mark and a NUL byte', (t) => {
  const dir = folder(t, {
    'sub/keep.txt': '',
    'bom.vx': '\ufeff  NOP 1 X\n',
    'nul.vx': Buffer.from('  NOP\n  NOP "a\0b\nmore text\n'),
  });
  check([
    // A folder is a file error, status 2, one sentence and no stack trace; the rest is parsed.
    [['sub', 'bom.vx'], { cwd: dir }, 2, /\n1 error, 0 warnings in 1 file\n$/, 'vexa-parse: sub: is a directory\n'],
    [['--json', 'sub'], { cwd: dir }, 2, '{"file":"sub","error":"is a directory"}\n', 'vexa-parse: sub: is a directory\n'],
    // The mark takes no column.
    [['bom.vx'], { cwd: dir }, 1, 'bom.vx:1:9: error VEXA1203: unexpected token after the end of the statement\n  NOP 1 X\n        ^\n' + SUMMARY(1, 0), ''],
    [['nul.vx'], { cwd: dir }, 1, [
      'nul.vx:2:7: error VEXA1302: unterminated text: no closing quote on its line',
      '  NOP "a\\x00b',
      '      ^~',
      'nul.vx:2:9: warning: binary file: a NUL byte ends the text here; nothing after it is read',
      '  NOP "a\\x00b',
      '        ^~~~',
      SUMMARY(1, 1),
    ].join('\n'), ''],
  ]);
});

test('settings come from the nearest vexa.json, or the one --config names; options win', (t) => {
  const dir = folder(t, {
    'vexa.json': '{"keywords": {"instructions": ["MOV"]}, "rules": {"core.strict": true}}',
    'app/line.vx': 'L1: MOV A, 4\nX equ 5\n',
    'app/deeper/vexa.json': '{"rules": {"diagnostic.limit": 1}}',
    'app/deeper/two.vx': '  NOP \x01\n  NOP \x02\n',
    'other/plain.json': '{"strictKeywords": true, "keywords": {"directives": ["EQU"]}}',
    'other/line.vx': 'X equ 5\n',
    'words.json': '{"instructions": []}',
  });
  const equ = (file) => new RegExp(`^${literal(file)}:2:3: error VEXA9001: `);
  check([
    // The project's lists make MOV an instruction; its strict rules make "equ" no directive.
    [['app/line.vx'], { cwd: dir }, 1, equ('app/line.vx'), ''],
    [['line.vx'], { cwd: path.join(dir, 'app') }, 1, equ('line.vx'), ''],
    [['-'], { cwd: path.join(dir, 'app'), input: 'L1: MOV A, 4\n' }, 0, SUMMARY(0, 0), ''],
    // The nearer file holds only a limit: every other setting is the default again.
    [['deeper/two.vx'], { cwd: path.join(dir, 'app') }, 1, /\n2 errors, 0 warnings in 1 file \(1 of 2 diagnostics shown\)\n$/, ''],
    [['--limit', '0', 'deeper/two.vx'], { cwd: path.join(dir, 'app') }, 1, /:2:7: error VEXA1002[^]*\n2 errors, 0 warnings in 1 file\n$/, ''],
    // --config names the file for every input; --keywords wins over its lists.
    [['--config', 'other/plain.json', 'app/line.vx'], { cwd: dir }, 1, /^app\/line\.vx:1:5: error VEXA1203: [^]*app\/line\.vx:2:3: error VEXA1203: /, ''],
    [['--keywords', 'words.json', 'app/line.vx'], { cwd: dir }, 1, /^app\/line\.vx:1:5: error VEXA1203: [^]*\n2 errors, 1 warning in 1 file\n$/, ''],
    [['--config', 'missing.json', 'app/line.vx'], { cwd: dir }, 2, '', 'missing.json:1:1: error: cannot read the settings: no such file\n'],
  ]);
});

test('a vexa.json with mistakes is reported by line, column and key, and nothing is parsed', (t) => {
  const dir = folder(t, {
    'vexa.json': '{\n  "keywords": {"instruction": ["MOV"]},\n  "rules": {"core.strict": "yes"}\n}\n',
    'src/a.vx': '  NOP\n',
    'broken/vexa.json': '{"rules": {}',
    'broken/b.vx': '  NOP\n',
  });
  check([
    [['src/a.vx'], { cwd: dir }, 2, '', [
      'vexa.json:2:16: error: unknown key "instruction": did you mean "instructions"?',
      'vexa.json:3:28: error: "rules.core.strict" must be true or false, not a string',
      '',
    ].join('\n')],
    [['a.vx'], { cwd: path.join(dir, 'src') }, 2, '', /^\.\.\/vexa\.json:2:16: error: unknown key "instruction"/],
    [['src/a.vx', 'broken/b.vx', 'src/a.vx'], { cwd: dir }, 2, '', [
      'vexa.json:2:16: error: unknown key "instruction": did you mean "instructions"?',
      'vexa.json:3:28: error: "rules.core.strict" must be true or false, not a string',
      'broken/vexa.json:1:13: error: invalid JSON: expected "," or "}", found the end of the file',
      '',
    ].join('\n')],
  ]);
});

test('without settings, a line that fails at a word no list holds gets one note per run', (t) => {
  const dir = folder(t, {
    'a.vx': 'L1: MOV A, 4\nRUN JMP L1\n',
    'b.vx': 'MOV A\n',
    'c.vx': '    MOV R1, 12 X\n',
    'words.json': '{"instructions": ["NOP"]}',
  });
  const note = (word) => `note: "${word}" is in no keyword list, and no vexa.json or --keywords file was found; ` +
    'the default lists hold directives, precodes and commands but no instructions. List yours in a ' +
    `vexa.json in the project's folder, for instance {"keywords": {"instructions": ["${word}"]}}\n`;
  const notes = (text) => text.split('\n').filter((l) => l.startsWith('note: '));
  const cases = [
    [['a.vx', 'b.vx'], [note('MOV').trimEnd()]],
    [['b.vx'], [note('MOV').trimEnd()]],
    // A word after a whole statement is no keyword problem.
    [['c.vx'], []],
    [['--keywords', 'words.json', 'a.vx'], []],
  ];
  for (const [args, expected] of cases) assert.deepEqual(notes(cli(args, { cwd: dir }).stdout), expected, args.join(' '));
  const json = cli(['--json', 'b.vx'], { cwd: dir });
  assert.equal(json.stderr, `vexa-parse: ${note('MOV')}`);
});

test('output that cannot be written is one sentence and status 2, never a stack trace', { skip: !fs.existsSync('/dev/full') }, () => {
  const full = fs.openSync('/dev/full', 'w');
  try {
    const out = spawnSync(process.execPath, [BIN, CLEAN], { cwd: ROOT, stdio: ['ignore', full, 'pipe'], encoding: 'utf8', timeout: 60000 });
    assert.equal(out.error, undefined);
    assert.equal(out.status, 2);
    assert.match(out.stderr, /^vexa-parse: cannot write the output: ENOSPC[^\n]*\n$/);
  } finally {
    fs.closeSync(full);
  }
});
