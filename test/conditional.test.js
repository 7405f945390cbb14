'use strict';
// Conditional statements on generated input: how deeply they nest, and what happens past the
// limit. Statement-level cases are golden files under test/golden/statement/.
const test = require('node:test');
const assert = require('node:assert/strict');
const { run, range, error } = require('./helpers');

const LIMIT = 256;

// `levels` conditionals, each inside the block of the one before. `branch` decides where the
// next level goes: into the clause's block, or into the alternative after an #ELSE.
function nested(levels, { branch = 'clause', inner = '  NOP 1\n', close = true } = {}) {
  const open = branch === 'clause' ? '#IF EQ(A, B)\n' : '#IF EQ(A, B)\n#ELSE\n';
  return open.repeat(levels) + inner + (close ? '#ENDIF\n'.repeat(levels) : '');
}

// Follows the chain of nested conditionals without recursing; returns how many there are and
// the block that the innermost one holds.
function chain(node, branch) {
  let depth = 0;
  let block = [node];
  while (block.length > 0 && block[0].type === 15) {
    depth += 1;
    block = branch === 'clause' ? block[0].clauses[0].subsequence : block[0].alternative;
  }
  return { depth, block };
}

const tooDeep = (line) => error(1006, range(line, 0, 3), ['conditional']);

test('conditionals nest up to the limit; a deeper one is skipped to its balancing #ENDIF', async () => {
  const trailer = '  MOV A\n';
  const rows = [
    { levels: LIMIT, branch: 'clause', depth: LIMIT, innermost: 1, diagnostics: [] },
    { levels: LIMIT + 1, branch: 'clause', depth: LIMIT, innermost: 0, diagnostics: [tooDeep(LIMIT)] },
    { levels: 100000, branch: 'clause', depth: LIMIT, innermost: 0, diagnostics: [tooDeep(LIMIT)] },
    // Levels in alternatives count alike; each level takes two lines there.
    { levels: LIMIT, branch: 'else', depth: LIMIT, innermost: 1, diagnostics: [] },
    { levels: 100000, branch: 'else', depth: LIMIT, innermost: 0, diagnostics: [tooDeep(2 * LIMIT)] },
  ];
  for (const row of rows) {
    const label = `${row.levels} levels through ${row.branch === 'clause' ? 'clauses' : 'alternatives'}`;
    const result = await run(nested(row.levels, { branch: row.branch }) + trailer);
    assert.deepStrictEqual(result.diagnostics, row.diagnostics, label);
    // The enclosing levels stay balanced: the line after the last #ENDIF is a top-level statement.
    assert.equal(result.nodes.length, 2, label);
    assert.equal(result.nodes[1].name, 'MOV', label);
    const { depth, block } = chain(result.nodes[0], row.branch);
    assert.equal(depth, row.depth, label);
    assert.equal(block.length, row.innermost, label);
  }
});

test('the skip past the limit counts the #IF and #ENDIF pairs nested in what it skips', async () => {
  const skipped = '#IF EQ(C, D)\n#IF EQ(E, F)\n#ENDIF\n#ELSE\n  NOP 2\n#ENDIF\n  NOP 3\n';
  const result = await run(nested(LIMIT, { inner: skipped + '  NOP 4\n' }));
  assert.deepStrictEqual(result.diagnostics, [tooDeep(LIMIT)]);
  assert.equal(result.nodes.length, 1);
  const { depth, block } = chain(result.nodes[0], 'clause');
  assert.equal(depth, LIMIT);
  // "NOP 2" went with the skipped conditional; what follows its balancing #ENDIF belongs to the
  // innermost level again.
  assert.deepStrictEqual(block.map((node) => node.operands[0].value), [3, 4]);
});

test('a too deep conditional that never closes skips to the end; every open level reports 1302', async () => {
  for (const levels of [LIMIT + 1, 100000]) {
    const result = await run(nested(levels, { close: false }));
    const unterminated = [];
    for (let line = LIMIT - 1; line >= 0; line--) {
      unterminated.push(error(1302, range(line, 0, 3), ['conditional']));
    }
    assert.deepStrictEqual(result.diagnostics, [tooDeep(LIMIT), ...unterminated], `${levels} levels`);
    assert.deepStrictEqual(result.nodes, [], `${levels} levels`);
  }
});

test('the skip ends with the #ENDIF line; the next line is parsed and checked as usual', async () => {
  // The #ENDIF that ends the skip is followed by a line whose trailing token must still be reported.
  const source = nested(LIMIT + 1, { close: false }) + '#ENDIF\n  NOP 1 2\n' + '#ENDIF\n'.repeat(LIMIT);
  const result = await run(source);
  const line = LIMIT + 1 + 2;
  assert.deepStrictEqual(result.diagnostics, [tooDeep(LIMIT), error(1203, range(line, 8, 9))]);
  const { depth, block } = chain(result.nodes[0], 'clause');
  assert.equal(depth, LIMIT);
  assert.deepStrictEqual(block.map((node) => node.name), ['NOP']);
});

test('generated conditionals parse without a diagnostic of their own', async () => {
  const { generate } = require('../bench/generate.js');
  const own = new Set(['VEXA1001', 'VEXA1003', 'VEXA1004', 'VEXA1005', 'VEXA1006', 'VEXA1302',
    'VEXA1606', 'VEXA4103']);
  const rows = [
    { seed: 1, eol: '\n', strict: false },
    { seed: 2, eol: '\r\n', strict: true },
  ];
  for (const { seed, eol, strict } of rows) {
    const bytes = 100 * 1024;
    const label = `seed ${seed}, strict ${strict}`;
    // Faulty lines are left out so that any error would come from the conditionals.
    const { source, keywords } = generate({ seed, bytes, eol, weights: { error: 0 } });
    const result = await run(source, { words: keywords, strict, rules: { 'core.strict': strict } });
    assert.deepStrictEqual(result.diagnostics.filter((d) => own.has(d.code)), [], label);

    // The input has to reach every part of the statement for the check above to mean much.
    const seen = new Set();
    const walk = (nodes, depth) => {
      for (const node of nodes.filter((n) => n.type === 15)) {
        seen.add(`depth ${depth}`);
        if (node.clauses.length > 1) seen.add('#ELSEIF');
        if (node.alternative.length > 0) seen.add('#ELSE');
        for (const clause of node.clauses) {
          seen.add(`comparator ${clause.comparator}`);
          walk(clause.subsequence, depth + 1);
        }
        walk(node.alternative, depth + 1);
      }
    };
    walk(result.nodes, 1);
    for (const part of ['depth 1', 'depth 2', '#ELSEIF', '#ELSE', 'comparator 0', 'comparator 5']) {
      assert.ok(seen.has(part), `${label}: the input yields no ${part}`);
    }
  }
});

test('conditionals and the format calls inside them share one depth count', async () => {
  const words = { instructions: ['MOV'], commands: ['#HMI'] };
  const HEAD = '#HMI m(';
  // [conditionals, format calls inside the innermost one]; past 256 levels in all, the format call
  // that would open level 257 is refused at its "(" and the command with it.
  const rows = [[1, 255], [1, 256], [128, 128], [128, 129], [255, 1], [255, 2], [256, 0], [256, 1]];
  for (const [conditionals, calls] of rows) {
    const label = `${conditionals} conditionals, ${calls} format calls`;
    const line = HEAD + '('.repeat(calls) + '1' + ')'.repeat(calls) + ')\n';
    const result = await run(nested(conditionals, { inner: line }) + '  MOV A\n', { words });
    const fits = conditionals + calls <= LIMIT;
    const column = HEAD.length + LIMIT - conditionals;
    const tooDeepCall = error(1006, range(conditionals, column, column + 1), ['format call']);
    assert.deepStrictEqual(result.diagnostics, fits ? [] : [tooDeepCall], label);
    assert.deepStrictEqual(result.nodes.map((node) => node.type), [15, 16], label);
    const { depth, block } = chain(result.nodes[0], 'clause');
    assert.equal(depth, conditionals, label);
    assert.equal(block.length, fits ? 1 : 0, label);
    if (fits) {
      let levels = 0;
      for (let value = block[0].methods[0].args[0]; value.type === 25; value = value.args[0]) levels += 1;
      assert.equal(levels, calls, label);
    }
  }
});
