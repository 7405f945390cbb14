'use strict';
// Format calls nested past the parser's depth limit, which only generated lines can reach: the
// limit itself (256 levels parse, 257 do not), the diagnostic and where it points, recovery on
// the next line, and a line deep enough to overflow the worker's stack if nesting went unchecked.
const test = require('node:test');
const assert = require('node:assert/strict');
const { run, range, error } = require('./helpers');

const WORDS = { instructions: [], precodes: [], directives: [], commands: ['#HMI'] };
const LIMIT = 256;
const HEAD = '#HMI m(';

// `levels` parenthesised calls, one inside the other, around the value 1.
const groups = (levels) => HEAD + '('.repeat(levels) + '1' + ')'.repeat(levels) + ')';
// `levels` "s" calls, each the last output item of the one around it.
const outputs = (levels) =>
  HEAD + 's(a, b, '.repeat(levels - 1) + 's(a, b, c)' + ')'.repeat(levels - 1) + ')';

// How many format calls are stacked in the first argument of the command's first method, and the
// innermost one; each level must be the only way down, so a lost level shows as a wrong count.
function nesting(command) {
  let call = command.methods[0].args[0];
  let depth = 0;
  for (;;) {
    assert.equal(call.type, 25);
    depth += 1;
    const inner = call.args.filter((arg) => arg.type === 25);
    if (inner.length === 0) return { depth, innermost: call };
    assert.equal(inner.length, 1);
    call = inner[0];
  }
}

test('format calls nest up to the depth limit and no further', async () => {
  const cases = [
    // [line, levels, column of the "(" past the limit]
    [groups, '(', HEAD.length + LIMIT],
    [outputs, 's', HEAD.length + 8 * LIMIT + 1],
  ];
  for (const [build, letter, column] of cases) {
    const deepest = await run(build(LIMIT), { words: WORDS });
    assert.deepEqual(deepest.diagnostics, [], letter);
    assert.equal(deepest.nodes.length, 1, letter);
    const { depth, innermost } = nesting(deepest.nodes[0]);
    assert.equal(depth, LIMIT, letter);
    assert.equal(innermost.name, letter);

    // One level more: the call that would open it fails at its "(", the command with it, and the
    // next line parses as usual.
    const past = await run(`${build(LIMIT + 1)}\n#HMI n(x)\n`, { words: WORDS });
    assert.deepEqual(past.diagnostics, [error(1006, range(0, column, column + 1), ['format call'])], letter);
    assert.equal(past.nodes.length, 1, letter);
    assert.equal(past.nodes[0].range.start.line, 1, letter);
    assert.equal(past.optimize, 4, letter);
  }
});

test('levels count together whatever the letters, and are given back after each call', async () => {
  // Half "s" calls, half parenthesised calls inside them: 256 levels in all.
  const half = LIMIT / 2;
  const mixed = (extra) =>
    HEAD + 's(a, b, '.repeat(half) + '('.repeat(half + extra) + '1' + ')'.repeat(half + extra) +
    ')'.repeat(half) + ')';
  const fits = await run(mixed(0), { words: WORDS });
  assert.deepEqual(fits.diagnostics, []);
  assert.equal(nesting(fits.nodes[0]).depth, LIMIT);
  const column = HEAD.length + 8 * half + half;
  const over = await run(mixed(1), { words: WORDS });
  assert.deepEqual(over.diagnostics, [error(1006, range(0, column, column + 1), ['format call'])]);

  // Many deep arguments side by side, and deep lines one after another, including after a line
  // that failed at the limit: each level entered is left again.
  const deepArgument = '('.repeat(LIMIT) + '1' + ')'.repeat(LIMIT);
  const wide = `${HEAD}${Array(4).fill(deepArgument).join(', ')})`;
  const source = [wide, groups(LIMIT + 1), groups(LIMIT), wide].join('\n');
  const result = await run(source, { words: WORDS });
  assert.equal(result.diagnostics.length, 1);
  assert.equal(result.diagnostics[0].range.start.line, 1);
  assert.deepEqual(result.nodes.map((node) => node.range.start.line), [0, 2, 3]);
  for (const arg of result.nodes[2].methods[0].args) {
    assert.equal(nesting({ methods: [{ args: [arg] }] }).depth, LIMIT);
  }
});

test('a line of 100,000 opening parentheses ends in one diagnostic, not a crash', async () => {
  const levels = 100000;
  const line = HEAD + '('.repeat(levels) + '1' + ')'.repeat(levels) + ')';
  const result = await run(`${line}\n#HMI n(x)`, { words: WORDS });
  const column = HEAD.length + LIMIT;
  assert.deepEqual(result.diagnostics, [error(1006, range(0, column, column + 1), ['format call'])]);
  assert.equal(result.nodes.length, 1);
  assert.equal(result.nodes[0].methods[0].name, 'n');
});
