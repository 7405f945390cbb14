'use strict';
// Instruction lines and their operands where a golden file (test/golden/instruction/) cannot say
// it well: minus zero, which JSON cannot hold; lines ending at the very end of the input, which an
// editor would quietly finish with a line feed; and the same source under several target names.
const test = require('node:test');
const assert = require('node:assert/strict');
const { run, range, error } = require('./helpers');

const FILE = 't.vx';

// Node builders. `at` is a range; a null `file` stands for a node without "filePath".
const node = (at, type, props, file = FILE) => ({
  range: at,
  type,
  ...(file === null ? {} : { filePath: file }),
  ...props,
});
const instruction = (at, name, operands = [], precode = 0) =>
  node(at, 16, { name, precode, operands });
const name = (at, identifier) => node(at, 19, { identifier });
const integer = (at, value, buffer) => node(at, 20, { value, buffer });
const real = (at, value, buffer) => node(at, 21, { value, buffer });

async function expectParse(source, nodes, diagnostics = [], options = {}) {
  assert.deepStrictEqual(await run(source, options), { optimize: 0, nodes, diagnostics }, source);
}

test('a negative real below single precision becomes minus zero', async () => {
  // deepStrictEqual tells -0 from 0.
  await expectParse('  MOV -1.5e-99\n', [
    instruction(range(0, 2, 5), 'MOV', [real(range(0, 6, 14), -0, '-1.5e-99')]),
  ]);
});

test('the last line needs no line feed, operands and errors included', async () => {
  const cases = [
    ['  NOP', [instruction(range(0, 2, 5), 'NOP')], []],
    ['  mov A', [instruction(range(0, 2, 5), 'mov', [name(range(0, 6, 7), 'A')])], []],
    ['  ZAP 1', [instruction(range(0, 2, 5), 'ZAP', [integer(range(0, 6, 7), 1, '1')])], []],
    // A trailing comma meets the end of the input, which is one character wide.
    ['  MOV 1,', [], [error(2005, range(0, 8, 9))]],
  ];
  for (const [source, nodes, diagnostics] of cases) await expectParse(source, nodes, diagnostics);
});

test('file paths: kept as given on every node for any name but "<anonymous>"', async () => {
  // "<anonymous>" itself, which leaves "filePath" out, is the golden file instruction/anonymous.
  const source = '  MOV A, 1, 2.5, "s"\n';
  const build = (file) => [
    node(range(0, 2, 5), 16, {
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
  for (const file of ['<ANONYMOUS>', '<anonymous>x', '']) {
    await expectParse(source, build(file), [], { name: file });
  }
});
