'use strict';
// The way from the worker to the caller: slices that never wait for the thread pool, exactly as
// many of them as the budget says, texts that own their characters, and the limits of the
// encoding, each rejected with its name. Slice budgets and limits are set through the addon's
// test hook, so nothing here depends on the machine's speed.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { keptLabel } = require('../bench/kept-label.js');
const { spawn, execFileSync } = require('node:child_process');
const { run, withTesting, slicesSince, countsPerTurn, assertOnePerTurn, range } = require('./helpers');

// `count` lines "  NOP i": each a node record with three texts, two of them ("t.vx", "NOP")
// shared by all.
function nops(count) {
  return {
    source: Array.from({ length: count }, (_, i) => `  NOP ${i}\n`).join(''),
    units: 2 * count + (count > 0 ? 2 : 0),
    node: (i) => ({
      range: range(i, 2, 5), type: 16, filePath: 't.vx', name: 'NOP', precode: 0,
      operands: [{ range: range(i, 6, 6 + `${i}`.length), type: 20, filePath: 't.vx', value: i, buffer: `${i}` }],
    }),
  };
}

// Reads of named pipes that block on a pool thread each, without using the CPU, until released.
function blockedPoolJobs(count) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vexa-pipes-'));
  const pipes = Array.from({ length: count }, (_, i) => path.join(dir, `pipe${i}`));
  execFileSync('mkfifo', pipes);
  const reads = pipes.map((pipe) => fs.promises.readFile(pipe, 'utf8'));
  // Each writer is a child process: writing from here would need the pool that the reads hold.
  const release = async () => {
    await Promise.all(pipes.map((pipe) => new Promise((resolve, reject) => {
      spawn('sh', ['-c', 'printf released > "$0"', pipe]).on('exit', (code) => (code === 0 ? resolve() : reject(new Error(`writer exited with ${code}`))));
    })));
    const texts = await Promise.all(reads);
    fs.rmSync(dir, { recursive: true, force: true });
    return texts;
  };
  return release;
}

// [what, lines, decode units per slice, source bytes per copy slice]
const BLOCKED = [
  ['a source copied at once', 5000, 100, 0],
  ['a source copied over several turns', 120000, 20000, 1 << 18],
];

for (const [what, lines, decodeUnits, copyBytes] of BLOCKED) {
  test(`${what} parses while pool jobs that block are queued behind it`, { timeout: 120000 }, async () => {
    const { source, units, node } = nops(lines);
    const events = [];
    await withTesting({ decodeUnits, copyBytes }, async (before) => {
      const parsed = run(source);
      // The pool's threads and more: every pool hop of the parse would wait behind these.
      const release = blockedPoolJobs(Number(process.env.UV_THREADPOOL_SIZE) || 4);
      const result = await parsed;
      events.push('resolved');
      assert.deepStrictEqual(await release(), new Array(Number(process.env.UV_THREADPOOL_SIZE) || 4).fill('released'));
      events.push('released');
      assert.deepStrictEqual(events, ['resolved', 'released']);
      assert.equal(slicesSince(before).decode, Math.ceil(units / decodeUnits));
      if (copyBytes > 0) assert.equal(slicesSince(before).copy, Math.ceil(Buffer.byteLength(source) / copyBytes));
      assert.equal(result.nodes.length, lines);
      for (const i of [0, lines >> 1, lines - 1]) assert.deepStrictEqual(result.nodes[i], node(i));
    });
  });
}

// [lines, units per slice]: texts made and records decoded count one unit each; a slice that
// finishes the result returns it.
const BUDGETS = [
  [0, 1],
  [1, 1],
  [1, 4],
  [50, 1],
  [50, 7],
  [50, 101],
  [50, 102],
  [50, 103],
];

test('a result takes exactly as many slices as its units need, one slice per turn', async () => {
  for (const [lines, budget] of BUDGETS) {
    const { source, units, node } = nops(lines);
    await withTesting({ decodeUnits: budget }, async (before) => {
      const { value, seen } = await countsPerTurn(run(source));
      const slices = Math.max(1, Math.ceil(units / budget));
      assert.equal(slicesSince(before).decode, slices, `${lines} lines, ${budget} a slice`);
      assertOnePerTurn(seen, 'decodeSlices', before, slices);
      assert.deepStrictEqual(value, { optimize: 0, nodes: Array.from({ length: lines }, (_, i) => node(i)), diagnostics: [] });
    });
  }
});

test('a text kept from a large result does not keep the other texts alive', async () => {
  // 100,000 distinct labels: 75- and 13-character ones, copied one by one, and 12-character ones, cut
  // from one string of all text bytes (the result in one chunk, so that it holds all of them).
  for (const width of [75, 13, 12]) {
    await withTesting({ chunkWords: 2 ** 40 }, async () => {
      const { kept, expected, textBytes, retained } = await keptLabel((source) => run(source), 100000, width);
      assert.equal(kept, expected);
      // A slice of one string of all texts would keep all of them; one text is `width` bytes.
      assert.ok(retained < textBytes / 4, `${retained} bytes retained after keeping one label of ${textBytes} bytes of texts`);
    });
  }
});

// [what, lowered limits, source, the message, or null where the source is just within them]
const LIMITS = [
  ['a text longer than the longest string', { textSize: 10 }, '  NOP abcdefghijk\n',
    "the result holds a text longer than the engine's longest string (10 characters)"],
  ['a text as long as the longest string', { textSize: 11 }, '  NOP abcdefghijk\n', null],
  ['texts past the offset range', { textBytes: 10 }, '  NOP abcd\n',
    'the texts of the result take more than 10 bytes (text offsets are 32-bit)'],
  ['texts that just fit the offset range', { textBytes: 11 }, '  NOP abcd\n', null],
  ['a list of operands past the count range', { listCount: 3 }, '  NOP 1, 2, 3, 4\n',
    'the result holds a list of more than 3 elements'],
  ['a list of operands within the count range', { listCount: 4 }, '  NOP 1, 2, 3, 4\n', null],
  ['top-level nodes past the count range', { listCount: 3 }, '  NOP\n  NOP\n  NOP\n  NOP\n',
    'the result holds a list of more than 3 elements'],
  ['diagnostics past the count range', { listCount: 3 }, '$\n$\n$\n$\n',
    'the result holds a list of more than 3 elements'],
  ['a block of statements past the count range', { listCount: 3 }, '#IF EQ(A, B)\n  NOP\n  NOP\n  NOP\n  NOP\n#ENDIF\n',
    'the result holds a list of more than 3 elements'],
];

for (const [what, limits, source, message] of LIMITS) {
  test(`limits: ${what}`, async () => {
    await withTesting(limits, async () => {
      if (message === null) {
        const result = await run(source);
        assert.deepStrictEqual(result.diagnostics, []);
      } else {
        await assert.rejects(run(source), { message });
      }
    });
  });
}
