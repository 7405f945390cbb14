'use strict';
// What the compact encoding must carry through unchanged: texts exactly as the engine decodes
// their UTF-8 bytes (invalid sequences, characters outside the basic plane, NUL in a file name,
// texts shared by many nodes), numbers exactly (negative zero, integers past 32 bits); and the
// copy of a large source over several turns, which rejects when the caller's buffer is detached
// or resized before the copy is done.
const test = require('node:test');
const assert = require('node:assert/strict');
const { addon, native, withTesting, slicesSince, countsPerTurn, assertOnePerTurn, RULES, table, run, range } = require('./helpers');

// An operand on line 0 from character `start` to `end`.
const op = (start, end, type, props, file = 't.vx') => ({ range: range(0, start, end), type, filePath: file, ...props });
const nop = (end, operands, file = 't.vx') => op(2, 5, 16, { name: 'NOP', precode: 0, operands }, file);

// [what, source bytes (Latin-1, so that each character is one byte), file name, operands]
const ROWS = [
  ['invalid bytes become one replacement character each', '  NOP "a\xff\xfeb"', 't.vx', [
    op(6, 12, 22, { value: 'a\ufffd\ufffdb' }),
  ]],
  ['two, three and four byte characters', '  NOP "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"', 't.vx', [
    op(6, 11, 22, { value: '\u00e9\u20ac\ud83d\ude00' }),
  ]],
  ['a surrogate, an over-long form, a code point past U+10FFFF, a cut sequence',
    '  NOP "\xed\xa0\x80", "\xc0\xaf", "\xf4\x90\x80\x80", "\xe2\x82"', 't.vx', [
      op(6, 9, 22, { value: '\ufffd\ufffd\ufffd' }),
      op(11, 14, 22, { value: '\ufffd\ufffd' }),
      op(16, 19, 22, { value: '\ufffd\ufffd\ufffd\ufffd' }),
      op(21, 24, 22, { value: '\ufffd' }),
    ]],
  ['negative zero stays negative, a plain zero stays plain', '  NOP -0.0e0, -1.0e-320, 0.0e0, -0.0', 't.vx', [
    op(6, 12, 21, { value: -0, buffer: '-0.0e0' }),
    op(14, 23, 21, { value: -0, buffer: '-1.0e-320' }),
    op(25, 30, 21, { value: 0, buffer: '0.0e0' }),
    op(32, 36, 20, { value: 0, buffer: '-0.0' }),
  ]],
  ['integers at and past the 32-bit limits',
    '  NOP 99999999999, 4294967296, 2147483647, 2147483648, -2147483648, -2147483649, 1e400, 1.5', 't.vx', [
      op(6, 17, 20, { value: 99999997952, buffer: '99999999999' }),
      op(19, 29, 20, { value: 4294967296, buffer: '4294967296' }),
      op(31, 41, 20, { value: 2147483648, buffer: '2147483647' }),
      op(43, 53, 20, { value: 2147483648, buffer: '2147483648' }),
      op(55, 66, 20, { value: -2147483648, buffer: '-2147483648' }),
      op(68, 79, 20, { value: -2147483648, buffer: '-2147483649' }),
      op(81, 86, 20, { value: 9223372036854776000, buffer: '1e400' }),
      op(88, 91, 21, { value: 1.5, buffer: '1.5' }),
    ]],
  ['a file name with NUL, a non-ASCII letter and a lone surrogate; long texts shared',
    '  NOP abcdefghijklmnopqrstuvwxyz, abcdefghijklmnopqrstuvwxyz, abc', 'a\0b\u00e9\ud800.vx', [
      op(6, 32, 19, { identifier: 'abcdefghijklmnopqrstuvwxyz' }, 'a\0b\u00e9\ufffd.vx'),
      op(34, 60, 19, { identifier: 'abcdefghijklmnopqrstuvwxyz' }, 'a\0b\u00e9\ufffd.vx'),
      op(62, 65, 19, { identifier: 'abc' }, 'a\0b\u00e9\ufffd.vx'),
    ]],
];

for (const [what, source, name, operands] of ROWS) {
  test(`values: ${what}`, async () => {
    const result = await run(Buffer.from(`${source}\n`, 'latin1'), { name });
    const file = operands[0].filePath;
    assert.deepStrictEqual(result, { optimize: 0, nodes: [nop(5, operands, file)], diagnostics: [] });
  });
}

// A source of `lines` lines "  NOP 7", larger than what parse copies at once.
function large(lines) {
  return Buffer.from('  NOP 7\n'.repeat(lines));
}
const LINES = 300000; // 2.3 MiB

test('a large source is copied over several turns, other callbacks running between, then parsed whole', async () => {
  // Blanks parse fast: 64 MiB of them copied 16 MiB a slice take exactly five slices.
  const blanks = 64 << 20;
  const source = Buffer.alloc(blanks + 18, ' ');
  source.write('  NOP 7\n', 0);
  source.write('\n  NOP 8\n', blanks + 9);
  await withTesting({ copyBytes: 16 << 20 }, async (before) => {
    const { value: result, seen } = await countsPerTurn(run(source));
    assert.equal(slicesSince(before).copy, 5);
    assertOnePerTurn(seen, 'copySlices', before, 5);
    const node = (line, value) => ({
      range: range(line, 2, 5), type: 16, filePath: 't.vx', name: 'NOP', precode: 0,
      operands: [{ range: range(line, 6, 7), type: 20, filePath: 't.vx', value, buffer: `${value}` }],
    });
    assert.deepStrictEqual(result, { optimize: 0, nodes: [node(0, 7), node(2, 8)], diagnostics: [] });
  });
});

test('a source buffer detached in the middle of its copy rejects the parse at the next slice', async () => {
  const buffer = new ArrayBuffer(LINES * 8);
  large(LINES).copy(Buffer.from(buffer));
  await withTesting({ copyBytes: 1 << 18 }, async (before) => {
    const pending = run(Buffer.from(buffer));
    // Detached once two slices have copied: the third finds no bytes.
    await new Promise((resolve) => {
      const watch = () => {
        if (native.testing().copySlices - before.copySlices < 2) return setImmediate(watch);
        structuredClone(buffer, { transfer: [buffer] });
        resolve();
      };
      setImmediate(watch);
    });
    await assert.rejects(pending, { message: 'the source buffer was detached or resized before it was copied' });
    assert.equal(slicesSince(before).copy, 3);
  });
});

// Each row takes the buffer away (or changes its size) right after the call.
const TAKEN = [
  ['transferred', () => {
    const buffer = new ArrayBuffer(LINES * 8);
    large(LINES).copy(Buffer.from(buffer));
    return [Buffer.from(buffer), () => structuredClone(buffer, { transfer: [buffer] })];
  }],
  ['shrunk', () => {
    const buffer = new ArrayBuffer(LINES * 8, { maxByteLength: LINES * 8 });
    large(LINES).copy(Buffer.from(buffer));
    return [Buffer.from(buffer), () => buffer.resize(LINES * 4)];
  }],
  ['grown', () => {
    const buffer = new ArrayBuffer(LINES * 8, { maxByteLength: LINES * 16 });
    large(LINES).copy(Buffer.from(buffer));
    return [new Uint8Array(buffer), () => buffer.resize(LINES * 16)];
  }],
];

for (const [what, make] of TAKEN) {
  test(`a source buffer ${what} while it is being copied rejects the parse`, async () => {
    const [buffer, take] = make();
    const pending = addon.parse('t.vx', buffer, table().reference, RULES);
    take();
    await assert.rejects(pending, { message: 'the source buffer was detached or resized before it was copied' });
  });
}

test('argument errors are still thrown at the call for a large source', () => {
  assert.throws(() => addon.parse('t.vx', large(LINES), -1, RULES), /Unknown keywords reference/);
  assert.throws(() => addon.parse('t.vx', large(LINES), table().reference, {}), TypeError);
});
