'use strict';
// The message catalogue against the code table the parser raises from: every code has a message,
// no message names an argument its code never carries, and the diagnostics the golden results
// hold carry no more arguments than the catalogue allows for.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { MESSAGES, format } = require('vexa-frontend/messages');

const TABLE = fs.readFileSync(path.join(__dirname, '..', 'src', 'toolchain', 'codes.h'), 'utf8');
const CODES = [...TABLE.matchAll(/^\s*X\((\w+), (\d+), (Error|Warning)\)/gm)].map((m) => Number(m[2]));

function* goldenResults(dir = path.join(__dirname, 'golden')) {
  for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) yield* goldenResults(full);
    else if (entry.name.endsWith('.json') && !/(^|\.)config\.json$/.test(entry.name)) {
      yield [full, JSON.parse(fs.readFileSync(full, 'utf8'))];
    }
  }
}

test('the code table is read and every code has a message, and nothing else has one', () => {
  assert.ok(CODES.length >= 40, `only ${CODES.length} codes read from codes.h`);
  assert.deepEqual(Object.keys(MESSAGES).map(Number).sort(), [...CODES].sort());
});

test('no message refers to an argument its code never carries', () => {
  for (const [code, { text, args }] of Object.entries(MESSAGES)) {
    for (const [, index] of text.matchAll(/\{(\d)\}/g)) {
      assert.ok(Number(index) < args, `VEXA${code}: "${text}" names argument ${index} of ${args}`);
    }
  }
});

test('golden diagnostics carry no more arguments than their messages allow for', () => {
  let seen = 0;
  for (const [file, result] of goldenResults()) {
    for (const diagnostic of result.diagnostics) {
      const code = Number(diagnostic.code.slice(4));
      assert.ok(MESSAGES[code], `${file}: ${diagnostic.code} has no message`);
      assert.ok((diagnostic.args ?? []).length <= MESSAGES[code].args, `${file}: ${diagnostic.code}`);
      seen++;
    }
  }
  assert.ok(seen > 0);
});

test('arguments are substituted in order; unknown codes and missing arguments stay readable', () => {
  const cases = [
    [{ code: 'VEXA3201', args: ['3', '1'] }, 'missing arguments: expected 3, got 1'],
    // A count the parser leaves out is none given.
    [{ code: 'VEXA3201', args: ['3'] }, 'missing arguments: expected 3, got none'],
    [{ code: 'VEXA3202', args: ['1'] }, 'missing specification: expected 1, got none'],
    [{ code: 'VEXA1203' }, 'unexpected token after the end of the statement'],
    [{ code: 'VEXA4104' }, 'unknown command "?"'],
    [{ code: 'VEXA8888', args: ['x'] }, 'diagnostic VEXA8888: x'],
    [{ code: 'VEXA1002', args: ['@'] }, 'unexpected character "@"'],
    [{ code: 'VEXA1002', args: ['Control Code'] }, 'unexpected control character'],
    // The cases of one code that the general text would describe badly have words of their own.
    [{ code: 'VEXA1302', args: ['hexadecimal literal'] }, 'hexadecimal literal without digits: "\'" must be followed by 0-9 or A-F'],
    [{ code: 'VEXA1302', args: ['conditional'] }, 'conditional without its #ENDIF'],
    [{ code: 'VEXA1302', args: ['something new'] }, 'unterminated something new'],
    [{ code: 'VEXA9001', args: ['Directive::NV0.parse'] }, 'unknown NV0 directive: the NV0 directives are NV0TEXT, NV0BYTE, NV0FNUM, NV0PTR and NV0SPACE'],
    [{ code: 'VEXA9001', args: ['Lexer::Scanner::Operator.scan'] }, 'internal: Lexer::Scanner::Operator.scan met a case it has no branch for'],
    // Only own keys of the table count.
    [{ code: 'VEXA9001', args: ['toString'] }, 'internal: toString met a case it has no branch for'],
  ];
  for (const [diagnostic, expected] of cases) assert.equal(format(diagnostic), expected);
  assert.equal(format('VEXA4104', ['#FOO']), 'unknown command "#FOO"');
  assert.equal(format(1006, ['format call']), 'format call nested too deeply: at most 256 format calls and conditionals inside one another');
});

test('each message written for a particular argument is for an argument the parser raises', () => {
  const sources = [];
  const walk = (dir) => {
    for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
      const full = path.join(dir, entry.name);
      if (entry.isDirectory()) walk(full);
      else if (entry.name.endsWith('.cc')) sources.push(fs.readFileSync(full, 'utf8'));
    }
  };
  walk(path.join(__dirname, '..', 'src'));
  const all = sources.join('\n');
  let forms = 0;
  for (const [code, { forms: byArgument = {} }] of Object.entries(MESSAGES)) {
    for (const argument of Object.keys(byArgument)) {
      assert.ok(all.includes(`"${argument}"`), `VEXA${code}: no source raises "${argument}"`);
      forms++;
    }
  }
  assert.ok(forms >= 9, `${forms} forms`);
});

test('the README\'s table of codes holds every message as the catalogue has it', () => {
  const readme = fs.readFileSync(path.join(__dirname, '..', 'README.md'), 'utf8');
  const rows = [...readme.matchAll(/^\| VEXA(\d+) \| (?:error|warning) \| (?:"([^"]+)")? ?\| (.+) \|$/gm)]
    .map(([, code, argument, text]) => [Number(code), argument ?? null, text.replace(/\\\|/g, '|')]);
  const expected = [];
  for (const [code, { text, forms = {} }] of Object.entries(MESSAGES)) {
    expected.push([Number(code), null, text]);
    for (const [argument, form] of Object.entries(forms)) expected.push([Number(code), argument, form]);
  }
  assert.deepEqual(rows, expected);
});
