'use strict';
// What a parse does when memory cannot be had, what becomes of memory it gives back, and where
// the copy within the call ends. Failures are made on purpose through the addon's test hook (see
// src/toolchain/planned_failure.h); the plan is process-wide, so each case runs in a child
// process (fixtures/memory.js) that prints its outcome.
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const addon = require('..');
const { table, RULES } = require('./helpers.js');

const FIXTURE = path.join(__dirname, 'fixtures', 'memory.js');
// The sanitizer build gives every node memory of its own, and has no block pool.
const SANITIZED = Boolean(process.env.VEXA_ADDON);
const AT_ONCE = 1 << 20;

function child(fail, ...args) {
  const env = { ...process.env };
  if (fail === null) delete env.VEXA_FIXTURE_FAIL;
  else env.VEXA_FIXTURE_FAIL = fail;
  const result = spawnSync(process.execPath, ['--expose-gc', '--no-warnings', FIXTURE, ...args], {
    encoding: 'utf8',
    env,
  });
  assert.equal(result.signal, null, result.stderr);
  assert.equal(result.status, 0, result.stderr);
  return JSON.parse(result.stdout);
}

const OUT_OF_MEMORY = { rejected: 'out of memory' };
const FAILED = [
  // No node memory at all: the first node already fails.
  ['nodes', { small: OUT_OF_MEMORY, large: OUT_OF_MEMORY, nested: OUT_OF_MEMORY }],
  // Node memory runs out part of the way through: a small source fits in what there is, a large
  // one does not, and one fails 200 conditionals deep, finishing them in the reserve.
  [SANITIZED ? 'nodes:2000' : 'nodes:1', {
    small: { nodes: 20, diagnostics: 0 }, large: OUT_OF_MEMORY, nested: OUT_OF_MEMORY,
  }],
];

for (const [fail, expected] of FAILED) {
  test(`node memory that cannot be had (${fail}) rejects the parse with "out of memory"`, () => {
    const outcomes = child(fail, 'settle', ...Object.keys(expected));
    assert.deepStrictEqual(outcomes, Object.entries(expected).map(([kind, outcome]) => ({ kind, ...outcome })));
  });
}

test('the copy within the call ends at 1 MiB: larger sources get memory that may fail', () => {
  // Only the memory of a source copied over several turns fails: sources up to 1 MiB are copied
  // into ordinary memory and parse; one byte more is refused.
  assert.deepStrictEqual(child('source', 'settle', 'below-at-once', 'at-once', 'above-at-once'), [
    { kind: 'below-at-once', nodes: 0, diagnostics: 0 },
    { kind: 'at-once', nodes: 0, diagnostics: 0 },
    { kind: 'above-at-once', rejected: 'out of memory for the source' },
  ]);
});

const BOUNDARY = [
  [AT_ONCE - 1, 'copied within the call'],
  [AT_ONCE, 'copied within the call'],
  [AT_ONCE + 1, 'copied over later turns'],
];

for (const [size, how] of BOUNDARY) {
  test(`a source of ${size} bytes is ${how}`, async () => {
    // Transferring the buffer right after the call detaches it: only a copy made within the call
    // still has the bytes.
    const buffer = new ArrayBuffer(size);
    new Uint8Array(buffer).fill(0x20).set(Buffer.from('  NOP 1'), size - 7);
    const pending = addon.parse('t.vx', new Uint8Array(buffer), table().reference, RULES);
    structuredClone(buffer, { transfer: [buffer] });
    if (size <= AT_ONCE) {
      const result = await pending;
      assert.deepStrictEqual(result.nodes.map((node) => [node.name, node.operands[0].value]), [['NOP', 1]]);
    } else {
      await assert.rejects(pending, { message: 'the source buffer was detached or resized before it was copied' });
    }
  });
}

test('the README states the size copied within the call', () => {
  const readme = require('node:fs').readFileSync(path.join(__dirname, '..', 'README.md'), 'utf8');
  assert.match(readme, new RegExp(`source of up to ${AT_ONCE >> 20} MiB is copied within the call`));
});

test('a parse that throws after making its promise leaves no promise behind', {
  skip: typeof require('node:v8').queryObjects !== 'function' && 'needs v8.queryObjects to count promises',
}, () => {
  // Both the small source's job and the large source's copy fail to be queued.
  assert.deepStrictEqual(child('queue', 'abandoned'), { thrown: ['cannot queue the parse'], held: 0 });
});

test('node blocks given back to the pool are left for the kernel to take', {
  skip: SANITIZED ? 'the sanitizer build has no block pool' : process.platform !== 'linux' && 'reads /proc',
}, () => {
  const { nodes, freed } = child(null, 'released');
  assert.equal(nodes, 400000);
  assert.ok(freed >= 16 << 20, `only ${freed} bytes of returned blocks were left to the kernel`);
});

test('a typed array of a kind whose element width is unknown is refused', {
  skip: typeof Float16Array === 'undefined' && 'no such kind in this engine',
}, () => {
  // eslint-disable-next-line no-undef
  const source = new Float16Array(4);
  assert.throws(() => addon.parse('t.vx', source, table().reference, RULES), TypeError);
});
