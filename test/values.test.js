'use strict';
// Instruction lines and the values they take as operands: the node shapes that reach JavaScript,
// how literal texts become numbers, precode chains, and recovery after a bad operand.
const test = require('node:test');
const assert = require('node:assert/strict');
const { WORDS, run, range, error, warning } = require('./helpers');

const FILE = 't.vx';
const FLOAT_MAX = 3.4028234663852886e38;
const INT64_MAX = 2 ** 63; // 9223372036854775807 as a double
const INT64_MIN = -(2 ** 63);

// Node builders. `at` is a range; a null `file` stands for a node without "filePath".
const node = (at, type, props, file = FILE) => ({
  range: at,
  type,
  ...(file === null ? {} : { filePath: file }),
  ...props,
});
const instruction = (at, name, operands = [], precode = 0, extra = {}) =>
  node(at, 16, { ...extra, name, precode, operands });
const name = (at, identifier, fixed) => node(at, 19, { identifier, ...(fixed ? { fixed } : {}) });
const integer = (at, value, buffer, fixed) =>
  node(at, 20, { value, buffer, ...(fixed ? { fixed } : {}) });
const real = (at, value, buffer) => node(at, 21, { value, buffer });
const text = (at, value) => node(at, 22, { value });

// A mnemonic "MOV" indented by two columns, its operand starting at column 6.
const MOV = range(0, 2, 5);
const operandAt = (length) => range(0, 6, 6 + length);

async function expectParse(source, nodes, diagnostics = [], options = {}) {
  assert.deepStrictEqual(await run(source, options), { optimize: 0, nodes, diagnostics }, source);
}

test('a single operand of every literal kind', async () => {
  const cases = [
    // [operand text, expected operand node built from its range]
    ['X', (at) => name(at, 'X')],
    ['NOP', (at) => name(at, 'NOP')],
    ['#FOO', (at) => name(at, 'FOO', true)],
    ['#!FOO', (at) => name(at, '!FOO', true)],
    ['#_a.b', (at) => name(at, '_a.b', true)],
    ['+INF', (at) => name(at, '+INF')],
    ['-nan', (at) => name(at, '-nan')],
    ['12', (at) => integer(at, 12, '12')],
    ['-12', (at) => integer(at, -12, '-12')],
    ['+12', (at) => integer(at, 12, '+12')],
    ['#7', (at) => integer(at, 7, '7', true)],
    ["'1F", (at) => integer(at, 31, "'1F")],
    ["'1f", (at) => integer(at, 31, "'1f")],
    ["'0FFFFFFFF", (at) => integer(at, 4294967295, "'0FFFFFFFF")],
    ['%101', (at) => integer(at, 5, '%101')],
    ['%0' + '1'.repeat(32), (at) => integer(at, 4294967295, '%0' + '1'.repeat(32))],
    ['"abc"', (at) => text(at, 'abc')],
    ['"a""b"', (at) => text(at, 'a""b')],
    ['""', (at) => text(at, '')],
  ];
  for (const [operand, expected] of cases) {
    const at = operandAt(operand.length);
    await expectParse(`  MOV ${operand}\n`, [instruction(MOV, 'MOV', [expected(at)])]);
  }
});

test('decimal numbers: integral values are integers, read through single precision', async () => {
  const cases = [
    // [text, node type, value]
    ['2.0', 20, 2],
    ['2.000001', 20, 2],
    ['12.', 20, 12],
    ['1e5', 20, 100000],
    ['1E+2', 20, 100],
    ['123456789', 20, 123456792],
    ['16777217', 20, 16777216],
    ['.', 20, 0],
    ['-.', 20, 0],
    ['2.5', 21, 2.5],
    ['.5', 21, 0.5],
    ['-0.25', 21, -0.25],
    ['1.1', 21, Math.fround(1.1)],
    ['1.5e3', 21, 1500],
  ];
  for (const [literal, type, value] of cases) {
    const at = operandAt(literal.length);
    const expected = type === 20 ? integer(at, value, literal) : real(at, value, literal);
    await expectParse(`  MOV ${literal}\n`, [instruction(MOV, 'MOV', [expected])]);
  }
});

test('numbers beyond single precision or the 64-bit range saturate; tiny ones become zero', async () => {
  const huge = '9'.repeat(60);
  const cases = [
    ['1e99', 20, INT64_MAX],
    ['-1e99', 20, INT64_MIN],
    ['1e30', 20, INT64_MAX],
    ['-1e30', 20, INT64_MIN],
    [huge, 20, INT64_MAX],
    ['-' + huge, 20, INT64_MIN],
    ['1e99999999999999999999', 20, INT64_MAX],
    ['1e-99', 20, 0],
    ['1.5e99', 21, FLOAT_MAX],
    ['-1.5e99', 21, -FLOAT_MAX],
    ['1.5e-99', 21, 0],
    ['-1.5e-99', 21, -0],
  ];
  for (const [literal, type, value] of cases) {
    const at = operandAt(literal.length);
    const expected = type === 20 ? integer(at, value, literal) : real(at, value, literal);
    await expectParse(`  MOV ${literal}\n`, [instruction(MOV, 'MOV', [expected])]);
  }
});

test('operand ranges follow the lexer: spaced signs and "#" numbers keep their spans', async () => {
  await expectParse('  MOV - 12, # 5, #300\n', [
    instruction(MOV, 'MOV', [
      integer(range(0, 6, 10), -12, '-12'),
      integer(range(0, 12, 15), 5, '5', true),
      integer(range(0, 17, 21), 300, '300', true),
    ]),
  ], [warning(1202, range(0, 12, 15)), warning(1305, range(0, 17, 21))]);
});

test('operand lists and line ends', async () => {
  const cases = [
    ['  NOP\n', [instruction(range(0, 2, 5), 'NOP')]],
    ['  NOP', [instruction(range(0, 2, 5), 'NOP')]],
    ['  mov A', [instruction(MOV, 'mov', [name(operandAt(1), 'A')])]],
    ['  ZAP 1', [instruction(range(0, 2, 5), 'ZAP', [integer(operandAt(1), 1, '1')])]],
    [
      '  MOV A,1 , "s"\n\n  JMP\tL\n',
      [
        instruction(MOV, 'MOV', [
          name(range(0, 6, 7), 'A'),
          integer(range(0, 8, 9), 1, '1'),
          text(range(0, 12, 15), 's'),
        ]),
        instruction(range(2, 2, 5), 'JMP', [name(range(2, 6, 7), 'L')]),
      ],
    ],
  ];
  for (const [source, nodes] of cases) await expectParse(source, nodes);
});

test('a bad operand drops the line with one error; the next line parses', async () => {
  const next = instruction(range(1, 2, 5), 'NOP');
  const cases = [
    // [first line, where the error lies]
    ['  MOV =x, 1', range(0, 6, 8)],
    ['  MOV EQU', range(0, 6, 9)],
    ['  MOV NOJ', range(0, 6, 9)],
    ['  MOV #HMI', range(0, 6, 10)],
    ['  MOV *X', range(0, 6, 7)],
    ['  MOV (1)', range(0, 6, 7)],
    ['  MOV ,1', range(0, 6, 7)],
    ['  MOV A, =x', range(0, 9, 11)],
    ['  MOV 1,', range(0, 8, 9)],
    ['  MOV A, *+B, 1', range(0, 9, 11)],
  ];
  for (const [line, at] of cases) {
    await expectParse(`${line}\n  NOP\n`, [next], [error(2005, at)]);
  }
  // A trailing comma on the last line meets the end of the input, which is one character wide.
  await expectParse('  MOV 1,', [], [error(2005, range(0, 8, 9))]);
});

test('extra tokens after the operands: the node stays, the rest of the line is skipped', async () => {
  await expectParse('  MOV A B =x\n  NOP 1)\n  JMP\n', [
    instruction(MOV, 'MOV', [name(operandAt(1), 'A')]),
    instruction(range(1, 2, 5), 'NOP', [integer(range(1, 6, 7), 1, '1')]),
    instruction(range(2, 2, 5), 'JMP'),
  ], [error(1203, range(0, 8, 9)), error(1203, range(1, 7, 8))]);
});

test('precode chains: the first known precode decides, later ones warn', async () => {
  const ext = { extended: true };
  const cases = [
    // [source, mnemonic range, precode, extra properties, diagnostics]
    ['  NOJ: MOV', range(0, 7, 10), 239, {}, []],
    ['  REX: MOV', range(0, 7, 10), 237, ext, []],
    ['  IASJ: MOV', range(0, 8, 11), 238, {}, []],
    ['  nOj: MOV', range(0, 7, 10), 239, {}, []],
    ['  FOO: MOV', range(0, 7, 10), 0, {}, []],
    ['  FOO:NOJ:MOV', range(0, 10, 13), 239, {}, []],
    ['  NOJ: IASJ: MOV', range(0, 13, 16), 239, {}, [warning(1604, range(0, 7, 11))]],
    ['  NOJ: NOJ: MOV', range(0, 12, 15), 239, {}, [warning(1604, range(0, 7, 10))]],
    ['  NOJ: FOO: MOV', range(0, 12, 15), 239, {}, [warning(1604, range(0, 7, 10))]],
    ['  NOJ: REX: MOV', range(0, 12, 15), 239, ext, [warning(1604, range(0, 7, 10))]],
    [
      '  REX: REX: MOV',
      range(0, 12, 15),
      237,
      ext,
      [warning(1603, range(0, 7, 10)), warning(1604, range(0, 7, 10))],
    ],
    [
      '  REX: IASJ: REX: MOV',
      range(0, 18, 21),
      237,
      ext,
      [warning(1604, range(0, 7, 11)), warning(1603, range(0, 13, 16)), warning(1604, range(0, 13, 16))],
    ],
  ];
  for (const [source, at, precode, extra, diagnostics] of cases) {
    await expectParse(source, [instruction(at, 'MOV', [], precode, extra)], diagnostics);
  }
});

test('after a precode any word is a mnemonic, taken as written', async () => {
  await expectParse('  NOJ: zap X, 2', [
    instruction(range(0, 7, 10), 'zap', [name(range(0, 11, 12), 'X'), integer(range(0, 14, 15), 2, '2')], 239),
  ]);
});

test('precodes are known by their upper-case form, also in strict tables', async () => {
  const words = { ...WORDS, precodes: ['noj', 'Rex'] };
  await expectParse('  noj: MOV\n  Rex: MOV\n', [
    instruction(range(0, 7, 10), 'MOV', [], 239),
    instruction(range(1, 7, 10), 'MOV', [], 237, { extended: true }),
  ], [], { words, strict: true });
});

test('broken precode chains give no node; the next line parses', async () => {
  const next = instruction(range(1, 2, 5), 'NOP');
  const cases = [
    ['  NOJ MOV', [error(1601, range(0, 6, 9))]],
    ['  NOJ: REX MOV', [error(1601, range(0, 11, 14))]],
    ['  NOJ:', [error(1602, range(0, 6, 7))]],
    ['  NOJ: 5', [error(1602, range(0, 7, 8))]],
    ['  NOJ: REX: "x"', [error(1602, range(0, 12, 15))]],
    // Warnings of the chain come before the operand's error, and the line is still dropped.
    ['  NOJ: NOJ: MOV =x', [warning(1604, range(0, 7, 10)), error(2005, range(0, 16, 18))]],
  ];
  for (const [line, diagnostics] of cases) {
    await expectParse(`${line}\n  NOP\n`, [next], diagnostics);
  }
});

test('file paths: left out for "<anonymous>" on every node, kept as given otherwise', async () => {
  const source = '  MOV A, 1, 2.5, "s"\n';
  const build = (file) => [
    node(MOV, 16, {
      name: 'MOV',
      precode: 0,
      operands: [
        node(range(0, 6, 7), 19, { identifier: 'A' }, file),
        node(range(0, 9, 10), 20, { value: 1, buffer: '1' }, file),
        node(range(0, 12, 15), 21, { value: 2.5, buffer: '2.5' }, file),
        node(range(0, 17, 20), 22, { value: 's' }, file),
      ],
    }, file),
  ];
  await expectParse(source, build(null), [], { name: '<anonymous>' });
  for (const file of ['<ANONYMOUS>', '<anonymous>x', '']) {
    await expectParse(source, build(file), [], { name: file });
  }
});
