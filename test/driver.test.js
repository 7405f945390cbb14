'use strict';
// The statement driver and the keyword tables as the driver sees them: block tags as statements,
// inline tags sharing their line, the label column after an inline tag, labels in front of other
// statements, lines no statement takes, and how the caller's word lists classify the first word of
// a line.
const test = require('node:test');
const assert = require('node:assert/strict');
const { run, range, error, warning } = require('./helpers');

const FILE = 't.vx';
const tag = (at, text) => ({ range: at, type: 14, filePath: FILE, tag: text });
const instruction = (at, name, operands = [], precode = 0) =>
  ({ range: at, type: 16, filePath: FILE, name, precode, operands });
const address = (at, label) => ({ range: at, type: 1, filePath: FILE, address: -1, label, refc: 0 });
const integer = (at, value) =>
  ({ range: at, type: 20, filePath: FILE, value, buffer: String(value) });

async function expectParse(source, nodes, diagnostics, options) {
  assert.deepStrictEqual(await run(source, options), { optimize: 0, nodes, diagnostics }, source);
}

test('block tags stand as statements; inline tags share their line', async () => {
  const cases = [
    // A tag line, the rest of the line being comment text.
    [';<main> the rest is comment\n', [tag(range(0, 0, 7), 'main')], []],
    // An inline tag alone on its line is dropped without a word.
    [';<=main>\n', [], []],
    [';<=main>', [], []],
    // An inline tag followed by an instruction: two nodes, no end-of-line check for the tag.
    [';<=main>  NOP 1\n', [tag(range(0, 0, 8), '=main'),
      instruction(range(0, 10, 13), 'NOP', [integer(range(0, 14, 15), 1)])], []],
    // Right after an inline tag is a label column: the keyword there is no keyword but a label,
    // here one without its colon.
    [';<=main>NOP\n', [tag(range(0, 0, 8), '=main'), address(range(0, 8, 11), 'NOP')],
      [warning(1501, range(0, 8, 11))]],
    // Two tags in a row, then a statement on the next line.
    [';<a>\n;<b>\n  NOP\n', [tag(range(0, 0, 4), 'a'), tag(range(1, 0, 4), 'b'),
      instruction(range(2, 2, 5), 'NOP')], []],
  ];
  for (const [source, nodes, diagnostics] of cases) await expectParse(source, nodes, diagnostics);
});

test('without block parsing, tags are comments', async () => {
  await expectParse(';<main>\n;<=x>  NOP\n', [], [], { rules: { 'syntax.parseBlocks': false } });
});

test('lines no statement takes give 1001 once, then the next line parses', async () => {
  const cases = [
    [', NOP 1\n  NOP\n', [instruction(range(1, 2, 5), 'NOP')], [error(1001, range(0, 0, 1))]],
    ['"text" 5\n', [], [error(1001, range(0, 0, 6))]],
    // The last line needs no line feed.
    ['  NOP\n  NOP', [instruction(range(0, 2, 5), 'NOP'), instruction(range(1, 2, 5), 'NOP')], []],
    ['', [], []],
    ['\n\n  ; only a comment\n\t\n', [], []],
  ];
  for (const [source, nodes, diagnostics] of cases) await expectParse(source, nodes, diagnostics);
});

test('a label stands for its own statement; only a keyword statement may follow on its line', async () => {
  const cases = [
    // A fixed name is no statement: it is a stray token after the label's statement.
    ['X #FOO\n', [address(range(0, 0, 1), 'X')],
      [warning(1501, range(0, 0, 1)), error(1203, range(0, 2, 6))]],
    ['X: NOP\n', [address(range(0, 0, 1), 'X'), instruction(range(0, 3, 6), 'NOP')], []],
  ];
  for (const [source, nodes, diagnostics] of cases) await expectParse(source, nodes, diagnostics);
});

test('keyword tables decide what the first word of a line is', async () => {
  const inherited = Object.create({ precodes: ['NOP'] });
  inherited.instructions = ['MOV'];
  const cases = [
    // A word in two lists keeps the kind of the first list read: commands before instructions,
    // so the line is a command without a method (5001), not an instruction.
    [{ commands: ['NOP'], instructions: ['NOP'] }, false, '  NOP\n', [], [error(5001, range(0, 2, 5))]],
    [{ instructions: ['NOP'] }, false, '  nop\n', [instruction(range(0, 2, 5), 'nop')], []],
    // Only own properties are read: an inherited precode list would make this a precode (1601).
    [inherited, false, '  NOP\n', [instruction(range(0, 2, 5), 'NOP')], []],
    // Not strict: any case of a listed precode is the precode.
    [{ precodes: ['noj'], instructions: ['MOV'] }, false, '  Noj: MOV\n',
      [instruction(range(0, 7, 10), 'MOV', [], 239)], []],
    // Strict: the case must match, so "NOJ" is an unknown first word, an instruction, and the
    // colon after it is no operand.
    [{ precodes: ['noj'], instructions: ['MOV'] }, true, '  NOJ: MOV\n', [], [error(2005, range(0, 5, 6))]],
  ];
  for (const [words, strict, source, nodes, diagnostics] of cases) {
    await expectParse(source, nodes, diagnostics, { words, strict });
  }
});

test('a word in several lists takes the first kind of precodes, commands, directives, instructions', async () => {
  // What "  EQU 1" is as each kind: a precode wants its colon, a command its method, a directive
  // its label; an instruction takes the operand.
  const AS = {
    precodes: [[], [error(1601, range(0, 6, 7))]],
    commands: [[], [error(5001, range(0, 2, 5))]],
    directives: [[], [error(4201, range(0, 2, 5))]],
    instructions: [[instruction(range(0, 2, 5), 'EQU', [integer(range(0, 6, 7), 1)])], []],
  };
  const order = Object.keys(AS);
  // Every set of two or more lists, each written into the word object last list first, so that
  // the order of the object's properties cannot be what decides.
  for (let set = 0; set < 1 << order.length; set++) {
    const lists = order.filter((_, i) => set & (1 << i));
    if (lists.length < 2) continue;
    const words = Object.fromEntries([...lists].reverse().map((list) => [list, ['EQU']]));
    const [nodes, diagnostics] = AS[lists[0]];
    assert.deepStrictEqual(await run('  EQU 1\n', { words }), { optimize: 0, nodes, diagnostics }, lists.join(', '));
  }
});
