'use strict';
// DEF and NV0 directive lines on generated input, where a golden file would be unreadable: a byte
// list far longer than any written by hand, and the benchmark generator's data lines, each of
// which must give exactly the node its keyword and label call for.
const test = require('node:test');
const assert = require('node:assert/strict');
const { isDeepStrictEqual } = require('node:util');
const { run, range } = require('./helpers');
const { generate } = require('../bench/generate.js');

test('a byte list of 100000 values keeps every value, in order', async () => {
  const count = 100000;
  const values = Array.from({ length: count }, (_, i) => String(i));
  const source = `LIST: NV0BYTE ${values.join(',')}\n`;
  const { nodes, diagnostics } = await run(source, {
    words: { directives: ['NV0BYTE'] },
  });
  assert.deepStrictEqual(diagnostics, []);
  assert.equal(nodes.length, 1);
  const [item] = nodes;
  assert.equal(item.type, 10);
  assert.equal(item.label, 'LIST');
  assert.equal(item.values.length, count);
  let column = 'LIST: NV0BYTE '.length;
  for (let i = 0; i < count; i++) {
    const value = item.values[i];
    const width = values[i].length;
    if (value.value !== i || value.buffer !== values[i] ||
        !isDeepStrictEqual(value.range, range(0, column, column + width))) {
      assert.fail(`value ${i}: ${JSON.stringify(value)}`);
    }
    column += width + 1;
  }
});

// The node type a generated data line must give, read off its keyword.
const TYPES = {
  DEFSEM: 7, DEFBLOCK: 9, DEFWORD: 8, DEFADDR: 8, DEFTIME24: 8, DEFLONG: 8, DEFFLOAT: 8,
  NV0BYTE: 10, NV0TEXT: 10, NV0FNUM: 11, NV0PTR: 12, NV0SPACE: 13,
};
const MULTIPLIERS = { DEFWORD: 2, DEFADDR: 2, DEFTIME24: 3, DEFLONG: 4, DEFFLOAT: 4 };

test('every generated DEF and NV0 line gives the node its keyword calls for', async () => {
  const only = {
    instruction: 0, comment: 0, blank: 0, error: 0, label: 0, equ: 0, conditional: 0, hmi: 0, command: 0,
  };
  const { source, keywords } = generate({
    seed: 7, bytes: 32 * 1024, weights: only,
  });
  const { nodes, diagnostics } = await run(source, { words: keywords });
  // Every line but the comment that fills the input up to its size.
  const lines = source.split('\n').filter((line) => line !== '' && !line.startsWith(';'));

  // The text member's warning is the only diagnostic such lines may draw.
  const texts = lines.filter((line) => /\bNV0TEXT\b/.test(line)).length;
  assert.deepStrictEqual(diagnostics.filter((d) => d.code !== 'VEXA7001'), []);
  assert.equal(diagnostics.length, texts);

  assert.equal(nodes.length, lines.length);
  lines.forEach((line, i) => {
    const [, label, keyword] = /^(?:([^\s:]+):? )?\s*(\S+)/.exec(line);
    const node = nodes[i];
    const where = `line ${i + 1}: ${line}`;
    assert.equal(node.range.start.line, i, where);
    assert.equal(node.type, TYPES[keyword], where);
    assert.equal(node.label, label, where);
    if (node.type <= 9) {
      assert.equal(node.refc, label === undefined ? undefined : 0, where);
      assert.equal(node.multiplier, MULTIPLIERS[keyword] ?? 1, where);
      assert.equal(node.address.value, -1, where);
    } else {
      assert.equal(node.address, -1, where);
      assert.ok(!('refc' in node), where);
    }
  });
});
