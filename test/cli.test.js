'use strict';
// The vexa-parse command, run as a child process: what it prints and its exit status for a clean
// file, a file with errors, a missing file, standard input, --json and --tree, and usage errors.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { spawnSync } = require('node:child_process');

const BIN = path.join(__dirname, '..', 'bin', 'vexa-parse.js');
const DIR = path.join('test', 'fixtures', 'cli');
const CLEAN = path.join(DIR, 'clean.vx');
const ERRORS = path.join(DIR, 'errors.vx');

function cli(args, input, colour = {}) {
  const env = { ...process.env };
  delete env.FORCE_COLOR;
  env.NO_COLOR = '1';
  Object.assign(env, colour);
  const out = spawnSync(process.execPath, [BIN, ...args], {
    cwd: path.join(__dirname, '..'), input, encoding: 'utf8', env, timeout: 60000,
  });
  assert.equal(out.error, undefined);
  return { status: out.status, stdout: out.stdout, stderr: out.stderr };
}

test('diagnostics in the compiler convention, with the line and a caret underline', () => {
  const cases = [
    [[CLEAN], 0, '0 errors, 0 warnings in 1 file\n', ''],
    [[ERRORS], 1, [
      `${ERRORS}:1:16: error VEXA1203: unexpected token after the end of the statement`,
      '    MOV R1, 12 X',
      '               ^',
      `${ERRORS}:2:16: error VEXA2005: expected a value`,
      '\tMOV "Δt", #7 ,',
      '\t              ^',
      '2 errors, 0 warnings in 1 file',
      '',
    ].join('\n'), ''],
    // A missing file is named and the others are still parsed.
    [[CLEAN, 'missing.vx', ERRORS], 2, /2 errors, 0 warnings in 2 files\n$/, 'vexa-parse: missing.vx: no such file\n'],
    [['--limit', 'x', CLEAN], 2, '', /--limit takes a whole number/],
    [['--bogus', CLEAN], 2, '', /Unknown option '--bogus'/],
    [[], 2, '', /no input files/],
  ];
  for (const [args, status, stdout, stderr] of cases) {
    const out = cli(args);
    assert.equal(out.status, status, args.join(' '));
    if (stdout instanceof RegExp) assert.match(out.stdout, stdout);
    else assert.equal(out.stdout, stdout, args.join(' '));
    if (stderr instanceof RegExp) assert.match(out.stderr, stderr);
    else assert.equal(out.stderr, stderr, args.join(' '));
  }
});

test('--json prints one result object per file and line; "-" reads standard input', () => {
  const out = cli(['--json', CLEAN, '-'], '    NOP\n');
  assert.equal(out.status, 0);
  const [file, stdin] = out.stdout.trimEnd().split('\n').map((line) => JSON.parse(line));
  assert.equal(file.file, CLEAN);
  assert.deepEqual(file.nodes.map((n) => [n.name, n.filePath, n.precode]), [
    ['MOV', CLEAN, 0], ['JMP', CLEAN, 239],
  ]);
  assert.deepEqual(stdin, {
    file: '-',
    optimize: 0,
    nodes: [{
      range: { start: { line: 0, character: 4 }, end: { line: 0, character: 7 } },
      type: 16, filePath: '<stdin>', name: 'NOP', precode: 0, operands: [],
    }],
    diagnostics: [],
  });
});

test('--tree prints the nodes as an outline with one-based ranges and their own properties', () => {
  const out = cli(['--tree', CLEAN]);
  assert.equal(out.status, 0);
  assert.equal(out.stdout, [
    CLEAN,
    '  Instruction 1:5-1:8 name="MOV" precode=0',
    '    operands:',
    '      Syntax::Name 1:9-1:11 identifier="R1"',
    '      Syntax::Integer 1:13-1:15 value=12 buffer="12"',
    '  Instruction 2:10-2:13 name="JMP" precode=239',
    '    operands:',
    '      Syntax::Name 2:14-2:18 identifier="LOOP"',
    '0 errors, 0 warnings in 1 file',
    '',
  ].join('\n'));
});

test('the first run the README shows is what the example prints', () => {
  const readme = fs.readFileSync(path.join(__dirname, '..', 'README.md'), 'utf8');
  const shown = readme.match(/```console\n\$ npx vexa-parse (\S+)\n([\s\S]*?)```/);
  assert.ok(shown, 'the README shows no first run');
  const out = cli([shown[1]]);
  assert.equal(out.stdout, shown[2]);
  assert.equal(out.status, 1);
});

test('FORCE_COLOR paints severities, locations and carets even into a pipe', () => {
  const out = cli([ERRORS], undefined, { FORCE_COLOR: '1' });
  assert.equal(out.status, 1);
  const lines = out.stdout.split('\n');
  assert.equal(lines[0], `\x1b[1m${ERRORS}:1:16:\x1b[0m \x1b[1;31merror\x1b[0m VEXA1203: ` +
    'unexpected token after the end of the statement');
  assert.equal(lines[2], `${' '.repeat(15)}\x1b[1;32m^\x1b[0m`);
  // Without it, a pipe gets plain text (the other tests run that way).
  assert.doesNotMatch(cli([ERRORS]).stdout, /\x1b\[/);
});
