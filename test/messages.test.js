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
    [{ code: 'VEXA1302', args: ['conditional'] }, 'unterminated conditional'],
    [{ code: 'VEXA3201', args: ['3', '1'] }, 'missing arguments: expected 3, got 1'],
    [{ code: 'VEXA1203' }, 'unexpected token after the end of the statement'],
    [{ code: 'VEXA4104' }, 'unknown command "?"'],
    [{ code: 'VEXA8888', args: ['x'] }, 'diagnostic VEXA8888: x'],
  ];
  for (const [diagnostic, expected] of cases) assert.equal(format(diagnostic), expected);
  assert.equal(format('VEXA4104', ['#FOO']), 'unknown command "#FOO"');
  assert.equal(format(1006, ['format call']), 'format call nested too deeply');
});
