'use strict';
// Hostile inputs: sources built to exhaust the stack, the heap, the counters or the lexer's
// assumptions. Each row builds its input and says what must hold; every row also checks that the
// parse resolved and that every range lies inside the source.
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { run, range, error, warning } = require('./helpers');
const { checkRanges } = require('./invariants');

const WORDS = { instructions: ['NOP'], precodes: ['NOJ'], directives: ['EQU'], commands: ['#HMI'] };
const parse = (bytes, rules = {}) => run(Buffer.from(bytes), { words: WORDS, rules });
const unexpected = (arg, ...where) => error(1002, range(...where), [arg]);

// Parses the source and checks the ranges before the row's own checks.
async function parsed(bytes, rules) {
  const result = await parse(bytes, rules);
  checkRanges(result, bytes);
  return result;
}

// A short line with a token of every kind, for bytes inserted or replaced at every position.
const SHORT = Buffer.from('L1: NOP A.b, #3, \'1F, %10, -2.5, "s" ; c\n  ;<T>\n');
// One line per token kind, each followed by more text that must never be read after a NUL.
const TOKEN_LINES = [
  'Name1 NOP x', '  NOP #NAME', '  NOP #12', "  NOP 'FF", '  NOP %101', '  NOP 123', '  NOP 1.5',
  '  NOP "text"', '  NOP =A', ';<tag> x', '  ;<=tag> NOP', '#HMI m(1)', '  NOJ: NOP', 'A EQU 5',
  '  NOP 1, 2', '#IF EQ(A, B)', '#ELSEIF NE(1, 2)', '#ELSE', '#ENDIF', '  NOP +INF', '  NOP (1)',
  '  NOP *+', '; comment', '  NOP 1\r\n  NOP 2',
];

const rows = [
  {
    name: '100,000 nested conditionals stop at the depth limit with one 1006',
    input: () => '#IF EQ(A, B)\n'.repeat(100000) + '#ENDIF\n'.repeat(100000),
    check(result) {
      assert.deepStrictEqual(result.diagnostics, [error(1006, range(256, 0, 3), ['conditional'])]);
      assert.equal(result.nodes.length, 1);
    },
  },
  {
    name: '100,000 nested format calls stop at the depth limit with one 1006',
    input: () => '#HMI m(' + '('.repeat(100000),
    check(result) {
      // The 257th "(" opens the level past the limit: "#HMI m(" is seven characters.
      assert.deepStrictEqual(result.diagnostics, [error(1006, range(0, 7 + 256, 7 + 257), ['format call'])]);
      assert.deepStrictEqual(result.nodes, []);
    },
  },
  {
    name: 'a 64 MiB source without a line feed',
    input: () => {
      const bytes = Buffer.alloc(64 << 20, ' ');
      bytes[bytes.length - 1] = '$'.charCodeAt(0);
      return bytes;
    },
    check(result) {
      const at = (64 << 20) - 1;
      assert.deepStrictEqual(result, { optimize: 0, nodes: [], diagnostics: [unexpected('$', 0, at, at + 1)] });
    },
  },
  {
    name: 'a 1 MiB label',
    input: () => 'L'.repeat(1 << 20) + ':\n  NOP 1',
    check(result) {
      assert.deepStrictEqual(result.diagnostics, []);
      assert.equal(result.nodes[0].label, 'L'.repeat(1 << 20));
      assert.deepStrictEqual(result.nodes[0].range, range(0, 0, 1 << 20));
      assert.equal(result.nodes[1].name, 'NOP');
    },
  },
  {
    name: 'a 100,000-digit number after "#" at the start of a line',
    input: () => '#' + '9'.repeat(100000),
    check(result) {
      assert.deepStrictEqual(result.diagnostics, [
        warning(1305, range(0, 0, 100001)),
        error(1001, range(0, 0, 100001)),
      ]);
    },
  },
  {
    name: 'a 100,000-digit number after "#" as an operand',
    input: () => '  NOP #' + '9'.repeat(100000),
    check(result) {
      assert.deepStrictEqual(result.diagnostics, [warning(1305, range(0, 6, 100007))]);
      const [operand] = result.nodes[0].operands;
      assert.equal(operand.buffer, '9'.repeat(100000));
      assert.ok(Number.isFinite(operand.value));
    },
  },
  {
    name: 'a 100,000-digit decimal operand',
    input: () => '  NOP ' + '9'.repeat(100000) + ', ' + '9'.repeat(100000) + '.5',
    check(result) {
      assert.deepStrictEqual(result.diagnostics, []);
      const [integer, real] = result.nodes[0].operands;
      assert.deepStrictEqual([integer.type, real.type], [20, 21]);
      assert.ok(Number.isFinite(integer.value) && Number.isFinite(real.value));
    },
  },
  {
    name: '100,000 operands on one line, in order',
    input: () => '  NOP ' + Array.from({ length: 100000 }, (_, i) => i).join(','),
    check(result) {
      assert.deepStrictEqual(result.diagnostics, []);
      const values = result.nodes[0].operands.map((operand) => operand.value);
      assert.deepStrictEqual(values, Array.from({ length: 100000 }, (_, i) => i));
    },
  },
  {
    // Once failed as a rejected promise: the operands were passed to the object factory as
    // separate arguments and overflowed the engine's stack.
    name: '250,000 operands on one line resolve',
    input: () => '  NOP ' + '7,'.repeat(249999) + '7',
    check(result) {
      assert.deepStrictEqual(result.diagnostics, []);
      assert.equal(result.nodes[0].operands.length, 250000);
    },
  },
  {
    name: 'every byte value alone',
    async run() {
      for (let byte = 0; byte < 256; byte++) {
        const result = await parsed([byte]);
        if (byte === 0) assert.deepStrictEqual(result, { optimize: 0, nodes: [], diagnostics: [] });
      }
    },
  },
  {
    name: 'every byte value inserted at and written over every position of a short line',
    async run() {
      const clean = await parse(SHORT);
      assert.deepStrictEqual(clean.diagnostics, []);
      for (let byte = 0; byte < 256; byte++) {
        for (let at = 0; at <= SHORT.length; at++) {
          const inserted = Buffer.concat([SHORT.subarray(0, at), Buffer.from([byte]), SHORT.subarray(at)]);
          await parsed(inserted);
          if (at < SHORT.length) {
            const replaced = Buffer.from(SHORT);
            replaced[at] = byte;
            await parsed(replaced);
          }
        }
      }
    },
  },
  {
    // Ranges count characters as the lexer does: a lead byte and the continuation bytes it
    // announces are one character, whatever they encode; a byte that breaks a sequence off starts
    // a character of its own.
    name: 'overlong, truncated and surrogate UTF-8 sequences',
    async run() {
      const cases = [
        // Overlong "/" in two and in three bytes: one character each.
        [[0xc0, 0xaf, 0x24], [unexpected('\ufffd\ufffd', 0, 0, 1), unexpected('$', 0, 1, 2)]],
        [[0xe0, 0x80, 0xaf, 0x24], [unexpected('\ufffd\ufffd\ufffd', 0, 0, 1), unexpected('$', 0, 1, 2)]],
        // A four-byte sequence cut short by "$", and one cut short by the end of the input.
        [[0xf0, 0x9f, 0x98, 0x24], [unexpected('\ufffd', 0, 0, 1), unexpected('$', 0, 1, 2)]],
        [[0x24, 0xe2, 0x82], [unexpected('$', 0, 0, 1), unexpected('\ufffd', 0, 1, 2)]],
        // An encoded surrogate (U+D800).
        [[0xed, 0xa0, 0x80, 0x24], [unexpected('\ufffd\ufffd\ufffd', 0, 0, 1), unexpected('$', 0, 1, 2)]],
        // Stray continuation bytes, and a five-byte lead beyond what UTF-8 allows.
        [[0x80, 0x80, 0x24], [unexpected('\ufffd\ufffd', 0, 0, 1), unexpected('$', 0, 1, 2)]],
        [
          [0xf8, 0x88, 0x80, 0x80, 0x80, 0x24],
          [unexpected('\ufffd\ufffd\ufffd\ufffd', 0, 0, 1), unexpected('\ufffd', 0, 1, 2), unexpected('$', 0, 2, 3)],
        ],
        // A cut-short sequence never swallows the line feed after it.
        [[0xf0, 0x9f, 0x0a, 0x24], [unexpected('\ufffd', 0, 0, 1), unexpected('$', 1, 0, 1)]],
      ];
      for (const [bytes, diagnostics] of cases) {
        const result = await parsed(bytes);
        assert.deepStrictEqual(result, { optimize: 0, nodes: [], diagnostics }, JSON.stringify(bytes));
      }
    },
  },
  {
    name: 'CR LF line ends give the nodes that LF line ends give',
    async run() {
      const lines = ['L1: NOP 1, "a"', '  NOP #2', '#IF EQ(A, B)', '  NOP 3', '#ENDIF', 'A EQU 5'];
      const lf = await parsed(lines.join('\n') + '\n');
      const crlf = await parsed(lines.join('\r\n') + '\r\n');
      assert.deepStrictEqual(lf.diagnostics, []);
      assert.deepStrictEqual(crlf, lf);
    },
  },
  {
    name: 'CR-only line ends keep everything on one line and warn at each CR',
    input: () => '  NOP 1\r  NOP 2\r',
    check(result) {
      assert.deepStrictEqual(result.diagnostics, [
        warning(1201, range(0, 6, 8)),
        error(1203, range(0, 10, 13)),
        warning(1201, range(0, 14, 16)),
      ]);
      assert.equal(result.nodes.length, 1);
    },
  },
  {
    name: 'a NUL in every token kind ends the source: nothing after it is read',
    async run() {
      for (const line of TOKEN_LINES) {
        const bytes = Buffer.from(`${line}\n  NOP 1\n`);
        for (let at = 0; at < bytes.length; at++) {
          const cut = Buffer.concat([bytes.subarray(0, at), Buffer.from([0]), bytes.subarray(at), Buffer.from('$ "')]);
          assert.deepStrictEqual(await parsed(cut), await parse(bytes.subarray(0, at)), `${JSON.stringify(line)} at ${at}`);
        }
      }
    },
  },
  {
    // Run in a child process, whose heap holds nothing else: with limit 1 the result must hold
    // next to nothing of what reporting every diagnostic holds.
    name: '1,000,000 diagnostics: all reported with limit 0, one with limit 1, nothing held for the rest',
    async run() {
      const child = spawnSync(process.execPath, ['--expose-gc', path.join(__dirname, 'fixtures', 'many-diagnostics.js')], {
        encoding: 'utf8',
        env: process.env,
      });
      assert.equal(child.status, 0, child.stderr);
      const figures = JSON.parse(child.stdout);
      assert.deepStrictEqual([figures.limitOne.reported, figures.limitZero.reported], [1, 1000000]);
      assert.deepStrictEqual(figures.limitOne.first, error(1001, range(0, 0, 1)));
      // A reported diagnostic is at least four objects (itself, its range, two positions).
      assert.ok(figures.limitZero.holds > 1000000 * 4 * 16, `limit 0 holds only ${figures.limitZero.holds} bytes`);
      assert.ok(
        figures.limitOne.holds < figures.limitZero.holds / 100,
        `limit 1 holds ${figures.limitOne.holds} bytes of heap; reporting all holds ${figures.limitZero.holds}`,
      );
    },
  },
];

for (const row of rows) {
  test(row.name, { todo: row.todo }, async () => {
    if (row.run) return row.run();
    const bytes = Buffer.from(row.input());
    row.check(await parsed(bytes));
  });
}
