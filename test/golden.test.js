'use strict';
// Golden files: each `<name>.vx` under test/golden/ is parsed and its whole result compared with
// `<name>.json` beside it, by value and by text, so that property order counts as well.
// `npm run golden:update` rewrites the expected files from the current parser.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const { collect, orphans, parse, format } = require('./golden');

test('golden files', async (t) => {
  const cases = collect();
  assert.ok(cases.length > 0, 'no golden sources found');
  for (const item of cases) {
    await t.test(item.relative, async () => {
      const result = await parse(item);
      if (!fs.existsSync(item.expected)) {
        const json = item.relative.replace(/\.vx$/, '.json');
        assert.fail(`no expected file ${json}; run \`npm run golden:update\` and read it through`);
      }
      const text = fs.readFileSync(item.expected, 'utf8');
      assert.deepStrictEqual(result, JSON.parse(text));
      assert.equal(format(result), text, 'same values, different property order or layout');
    });
  }
});

test('every expected file has its source', () => {
  assert.deepStrictEqual(orphans(), []);
});
