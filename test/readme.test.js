'use strict';
// The README's examples as a reader would try them: its vexa.json is valid and a misspelling in
// it gives the error the README shows, and every VEXA example parses without a diagnostic under
// that file's settings.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { parse, keywords } = require('vexa-frontend');
const { readConfigText } = require('vexa-frontend/config');

const README = fs.readFileSync(path.join(__dirname, '..', 'README.md'), 'utf8');
const SETTINGS = README.match(/## Project settings[^]*?```json\n([^]*?)```/)[1];

test('the README\'s vexa.json is valid, and misspelt gives the error the README shows', () => {
  assert.deepEqual(readConfigText(SETTINGS, 'vexa.json').problems, []);
  const shown = README.match(/## Project settings[^]*?```console\n(vexa\.json:[^\n]*)\n```/);
  assert.ok(shown, 'the README shows no settings error');
  const [problem] = readConfigText(SETTINGS.replace('"instructions"', '"instruction"'), 'vexa.json').problems;
  assert.equal(`${problem.file}:${problem.line}:${problem.column}: error: ${problem.message}`, shown[1]);
});

test('every VEXA example in the README parses without a diagnostic', async () => {
  const { settings } = readConfigText(SETTINGS, 'vexa.json');
  const blocks = [...README.matchAll(/```vexa\n([^]*?)```/g)].map((m) => m[1]);
  assert.ok(blocks.length >= 3, `${blocks.length} examples`);
  const table = keywords(settings.keywords, settings.strictKeywords);
  try {
    for (const block of blocks) {
      const result = await parse('readme.vx', Buffer.from(block), table.reference, settings.rules);
      assert.deepEqual(result.diagnostics, [], block);
      assert.ok(result.nodes.length > 0, block);
    }
  } finally {
    table.dispose();
  }
});
