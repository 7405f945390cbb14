'use strict';
// The benchmark's peer parser must build exactly the nodes the addon builds, or the speed
// comparison in bench/ compares different work. Each row parses one generated source with both
// and compares the node lists: values, property order, ranges, and which faulty lines keep a node.
const test = require('node:test');
const assert = require('node:assert/strict');
const { isDeepStrictEqual } = require('node:util');
const addon = require('..');
const { generate } = require('../bench/generate.js');
const { createPeer } = require('../bench/peers/chevrotain-parser.js');

const RULES = {
  'core.strict': false,
  'core.dialect': 0,
  'syntax.parseBlocks': false,
  'diagnostic.limit': 0,
};

// Each row: generator seed and size, line ending, strictness of the keyword tables and of the
// rules, and the target name ("<anonymous>" leaves "filePath" out of every node).
const ROWS = [
  { seed: 1, bytes: 64 * 1024, eol: '\n', tables: false, rules: false, name: 'a.vx' },
  { seed: 2, bytes: 48 * 1024, eol: '\r\n', tables: false, rules: true, name: '<anonymous>' },
  { seed: 3, bytes: 48 * 1024, eol: '\n', tables: true, rules: false, name: 'main.vx' },
  { seed: 4, bytes: 48 * 1024, eol: '\n', tables: true, rules: true, name: '' },
];

// Node kinds every row's input must reach, or equal lists would prove little.
const REQUIRED = [
  'type 1', 'type 16', 'operand 19', 'operand 20', 'operand 21', 'operand 22', 'fixed 19', 'fixed 20',
  'precode 237', 'precode 238', 'precode 239', 'extended',
];

/** What kinds of node a list holds, so that a row can prove it exercised every value class. */
function coverage(nodes) {
  const seen = new Set();
  for (const node of nodes) {
    seen.add(`type ${node.type}`);
    if (node.precode) seen.add(`precode ${node.precode}`);
    if (node.extended) seen.add('extended');
    for (const operand of node.operands || []) {
      seen.add(`operand ${operand.type}`);
      if (operand.fixed) seen.add(`fixed ${operand.type}`);
    }
  }
  return seen;
}

function lineOf(node) {
  return node ? node.range.start.line + 1 : '-';
}

test('the peer parser builds the same nodes as the addon', async (t) => {
  const peer = await createPeer();
  for (const row of ROWS) {
    const label = `seed ${row.seed}, ${row.bytes} bytes, eol ${JSON.stringify(row.eol)}, ` +
      `strict tables ${row.tables}, strict rules ${row.rules}, name ${JSON.stringify(row.name)}`;
    await t.test(label, async () => {
      const { source, keywords } =
        generate({ seed: row.seed, bytes: row.bytes, eol: row.eol, peerSubset: true });
      const rules = { ...RULES, 'core.strict': row.rules };
      const table = addon.keywords(keywords, row.tables);
      const result = await addon.parse(row.name, Buffer.from(source), table.reference, rules);
      table.dispose();
      const expected = result.nodes;
      const peerResult = peer.parse(row.name, source, peer.keywords(keywords, row.tables), rules);
      const actual = peerResult.nodes;

      const seen = coverage(expected);
      for (const kind of REQUIRED) assert.ok(seen.has(kind), `the input yields no ${kind}`);

      // Compare node by node first, so that a failure names one node and its source line.
      const length = Math.max(actual.length, expected.length);
      for (let i = 0; i < length; i++) {
        if (!isDeepStrictEqual(actual[i], expected[i])) {
          assert.deepStrictEqual(actual[i], expected[i],
            `node ${i}: peer line ${lineOf(actual[i])}, addon line ${lineOf(expected[i])}`);
        }
      }
      // Equal values; the JSON text also has to agree, which holds only with the same key order.
      assert.equal(JSON.stringify(actual), JSON.stringify(expected), 'property order differs');

      // A label without its colon is warned about by both, at the label.
      const colonless = (diagnostics) => diagnostics.filter((d) => d.code === 'VEXA1501');
      const warned = colonless(result.diagnostics);
      assert.ok(warned.length > 0, 'the input has no label without a colon');
      assert.deepStrictEqual(colonless(peerResult.diagnostics), warned);
    });
  }
});
