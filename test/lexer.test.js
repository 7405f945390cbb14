'use strict';
// Lexical diagnostics, with their exact ranges and arguments, seen through the public API.
//
// Every case is built so that its result does not hang on how statements are parsed: a line is
// either made only of tokens whose scan fails (the parser never sees them, so it reports
// nothing), or it starts with a token that no statement takes (",", a number, a string, a "#"
// number...), which draws the driver's error 1001 at that token, after which the rest of the line
// is still scanned. That 1001 also shows the range of the token it stands on.
const test = require('node:test');
const assert = require('node:assert/strict');
const { run, range, error, warning } = require('./helpers');

const WORDS = { instructions: ['NOP'], directives: ['EQU'], commands: ['#HMI'], precodes: [] };

function lex(source, rules = {}) {
  return run(source, { words: WORDS, rules });
}

// Each case: [source (string or byte array), expected diagnostics, expected nodes?, rules?].
async function check(cases) {
  for (const [source, diagnostics, nodes = [], rules = {}] of cases) {
    const input = Array.isArray(source) ? Buffer.from(source) : source;
    const result = await lex(input, rules);
    assert.deepStrictEqual(result, { optimize: 0, nodes, diagnostics }, JSON.stringify(source));
  }
}

const unexpected = (arg, ...where) => error(1002, range(...where), [arg]);
const noStatement = (...where) => error(1001, range(...where));
const strict = { 'core.strict': true };

test('1002: a byte no scanner takes, named in the argument', () =>
  check([
    ['$', [unexpected('$', 0, 0, 1)]],
    [
      '& ~ \\ ` ? [ ] { } | ^ < >',
      [...'&~\\`?[]{}|^<>'].map((c, i) => unexpected(c, 0, 2 * i, 2 * i + 1)),
    ],
    [[0x7f], [unexpected('\x7f', 0, 0, 1)]],
    [[0x01, 0x1f], [unexpected('Control Code', 0, 0, 1), unexpected('Control Code', 0, 1, 2)]],
    // Form feed and vertical tab are blanks, not unexpected characters.
    ['\f\v$', [unexpected('$', 0, 2, 3)]],
    // A multi-byte character is consumed whole and counts as one character.
    ['é$', [unexpected('é', 0, 0, 1), unexpected('$', 0, 1, 2)]],
    ['€😀$', [unexpected('€', 0, 0, 1), unexpected('😀', 0, 1, 2), unexpected('$', 0, 2, 3)]],
  ]));

test('1002: invalid UTF-8 never swallows the bytes after it', () =>
  check([
    // A Latin-1 "é": a lead byte whose continuation never comes.
    [[0xe9, 0x0a, 0x24], [unexpected('\ufffd', 0, 0, 1), unexpected('$', 1, 0, 1)]],
    [[0xe9, 0x24], [unexpected('\ufffd', 0, 0, 1), unexpected('$', 0, 1, 2)]],
    // A three-byte character cut short by a line feed.
    [[0xe2, 0x82, 0x0a, 0x24], [unexpected('\ufffd', 0, 0, 1), unexpected('$', 1, 0, 1)]],
    // A string holding a cut-short character still ends at its line.
    [[0x22, 0xe9, 0x0a, 0x24], [error(1302, range(0, 0, 2), ['string literal']), unexpected('$', 1, 0, 1)]],
    // The lead byte at the very end of the input.
    [[0x24, 0xf0], [unexpected('$', 0, 0, 1), unexpected('\ufffd', 0, 1, 2)]],
  ]));

test('positions count characters, and only line feeds start lines', () =>
  check([
    ['$\r\n$', [unexpected('$', 0, 0, 1), unexpected('$', 1, 0, 1)]],
    ['; note é\n  $', [unexpected('$', 1, 2, 3)]],
    // One string token across a line: the quote at the end of a line takes the line feed.
    ['"\nabé" $', [noStatement(0, 0, 1, 4), unexpected('$', 1, 5, 6)]],
    ['"é€" $', [noStatement(0, 0, 4), unexpected('$', 0, 5, 6)]],
  ]));

// The only token after a comment is its line feed. An instruction that ends in a comma reports
// 2005 at that line feed, whose range shows where the comment's characters end: long ASCII runs,
// characters of two to four bytes, and a lead byte whose continuation never comes.
test('comments are counted in characters up to their line feed', () =>
  check([
    ['  NOP A, ; abcdefghijklmnopqrstuvwxyz0123\n', [error(2005, range(0, 41, 42))]],
    ['  NOP A, ; comment é€😀 abcdefghijk\n', [error(2005, range(0, 34, 35))]],
    [[...Buffer.from(' NOP A,;'), 0xe9, ...Buffer.from('abcdefghij\n')], [error(2005, range(0, 19, 20))]],
    ['  NOP A, ; no line feed', [error(2005, range(0, 23, 24))]],
  ]));

test('1201: a carriage return outside a CR LF pair; the range starts at the previous token', () =>
  check([
    [',\r\n', [noStatement(0, 0, 1)]],
    ['\r$', [warning(1201, range(0, 0, 1)), unexpected('$', 0, 1, 2)]],
    ['$ \r$', [unexpected('$', 0, 0, 1), warning(1201, range(0, 0, 3)), unexpected('$', 0, 3, 4)]],
    ['$\n\r$', [unexpected('$', 0, 0, 1), warning(1201, range(0, 1, 1, 1)), unexpected('$', 1, 1, 2)]],
    ['$\r', [unexpected('$', 0, 0, 1), warning(1201, range(0, 0, 2))]],
  ]));

test('"#" numbers and names: 1202, 1304, 1305', () =>
  check([
    ['#255', [noStatement(0, 0, 4)]],
    ['#000255', [noStatement(0, 0, 7)]],
    ['#256', [warning(1305, range(0, 0, 4)), noStatement(0, 0, 4)]],
    ['# 5', [warning(1202, range(0, 0, 3)), noStatement(0, 0, 3)]],
    ['#\t 300', [warning(1202, range(0, 0, 6)), warning(1305, range(0, 0, 6)), noStatement(0, 0, 6)]],
    // Past 64 bits: still one warning and one token.
    ['#18446744073709551616', [warning(1305, range(0, 0, 21)), noStatement(0, 0, 21)]],
    [`#${'9'.repeat(40)}`, [warning(1305, range(0, 0, 41)), noStatement(0, 0, 41)]],
    [', # FOO', [noStatement(0, 0, 1), warning(1202, range(0, 2, 7))]],
    [', #FOO', [noStatement(0, 0, 1)]],
    ['#)', [error(1304, range(0, 0, 1)), noStatement(0, 1, 2)]],
    ['# )', [error(1304, range(0, 0, 2)), noStatement(0, 2, 3)]],
    ['#', [error(1304, range(0, 0, 1))]],
    ['#\n$', [error(1304, range(0, 0, 1)), unexpected('$', 1, 0, 1)]],
  ]));

test('1307: a sign followed by a word other than INF or NAN', () =>
  check([
    ['+Index', [error(1307, range(0, 0, 6), ['Index'])]],
    ['-nan', [error(1307, range(0, 0, 4), ['nan'])], [], strict],
    [', -nan +Inf -NAN', [noStatement(0, 0, 1)]],
    [', -INF +NAN', [noStatement(0, 0, 1)], [], strict],
    // With a blank after the sign the word is scanned on its own.
    [', + Index', [noStatement(0, 0, 1)]],
  ]));

test('1306: an exponent without digits', () =>
  check([
    ['1e', [error(1306, range(0, 0, 2))]],
    ['1e+', [error(1306, range(0, 0, 3))]],
    ['1.5E-$', [error(1306, range(0, 0, 5)), unexpected('$', 0, 5, 6)]],
    ['- 2e', [error(1306, range(0, 0, 4))]],
    ['1e-5', [noStatement(0, 0, 4)]],
  ]));

test('hexadecimal and binary literals: 1302, 3101, 3102', () =>
  check([
    ["'", [error(1302, range(0, 0, 1), ['hexadecimal literal'])]],
    ["'$", [error(1302, range(0, 0, 1), ['hexadecimal literal']), unexpected('$', 0, 1, 2)]],
    ["'FFFFFFFF", [noStatement(0, 0, 9)]],
    ["'100000000", [error(3101, range(0, 0, 10))]],
    ["'0FFFFFFFF", [noStatement(0, 0, 10)]],
    [`'${'0'.repeat(20)}`, [noStatement(0, 0, 21)]],
    [`'${'0'.repeat(20)}1FFFFFFFF`, [error(3101, range(0, 0, 30))]],
    [`%1${'0'.repeat(31)}`, [noStatement(0, 0, 33)]],
    [`%1${'0'.repeat(32)}`, [error(3102, range(0, 0, 34))]],
    [`%${'0'.repeat(10)}${'1'.repeat(32)}`, [noStatement(0, 0, 43)]],
    ['%2', [noStatement(0, 0, 1)]],
  ]));

test('strings: 1302 and the line they may span', () =>
  check([
    ['"abc', [error(1302, range(0, 0, 4), ['string literal'])]],
    ['"abc\n$', [error(1302, range(0, 0, 4), ['string literal']), unexpected('$', 1, 0, 1)]],
    ['"', [error(1302, range(0, 0, 2), ['string literal'])]],
    ['"a""b" $', [noStatement(0, 0, 6), unexpected('$', 0, 7, 8)]],
    ['"""" $', [noStatement(0, 0, 4), unexpected('$', 0, 5, 6)]],
    // The byte after a doubled quote is taken even when it is a line feed.
    ['"a""\nb" $', [noStatement(0, 0, 1, 2), unexpected('$', 1, 3, 4)]],
    // A quote that ends its line opens a string that must close at the end of the next line.
    ['"\nabc', [error(1302, range(0, 0, 1, 3), ['string literal'])]],
    // Reading on past the end of the input several times counts the end only once: the range
    // reaches one character past the last byte, never further.
    ['"""', [error(1302, range(0, 0, 4), ['string literal'])]],
    ['"a""', [error(1302, range(0, 0, 5), ['string literal'])]],
  ]));

test('register literals: 1302 and 1308', () =>
  check([
    ['=x', [noStatement(0, 0, 2)]],
    ['=X', [noStatement(0, 0, 2)]],
    ['=X', [error(1308, range(0, 0, 2))], [], strict],
    ['=a', [error(1308, range(0, 0, 2))]],
    ['=1', [error(1302, range(0, 0, 1), ['register literal']), noStatement(0, 1, 2)]],
    ['=', [error(1302, range(0, 0, 1), ['register literal'])]],
  ]));

test('4101: "@" words', () =>
  check([
    ['@abc', [error(4101, range(0, 0, 4), ['abc'])]],
    ['@', [error(4101, range(0, 0, 1), [''])]],
    ['@1', [error(4101, range(0, 0, 1), ['']), noStatement(0, 1, 2)]],
  ]));

// Words are scanned many bytes at a time, so where a word ends must not depend on where it falls
// in the input: its length, the byte that stops it (each just outside a range of word bytes, or
// no ASCII at all) and the end of the input are varied. An indented unknown word is an
// instruction; a "#" name is an operand.
test('words end at the first byte that cannot continue them, wherever it falls', async () => {
  const word = (length) => Array.from({ length }, (_, i) => 'aZ_9.zA0m'[i % 9]).join('');
  const named = (at, name, operands = []) => ({
    range: at, type: 16, filePath: 't.vx', name, precode: 0, operands,
  });
  const hashName = (at, identifier) => ({
    range: at, type: 19, filePath: 't.vx', identifier, fixed: true,
  });
  // "@" and "[" fold onto "`" and "{", the bytes around the lower-case letters; "/" and ":" are
  // the neighbours of the digits, "é" is no ASCII.
  const stops = ['`', '{', '@', '[', '/', 'é', '$'];
  for (const length of [1, 2, 15, 16, 17, 31, 32, 33, 40]) {
    const w = word(length);
    const end = 2 + length;
    const cases = stops.map((stop) => [
      `  ${w}${stop} ; ${"padding ".repeat(3)}\n`,
      [named(range(0, 2, end), w)],
      stop === '@'
        ? [error(4101, range(0, end, end + 1), [''])]
        : [unexpected(stop, 0, end, end + 1)],
    ]);
    // At the end of the input, and before a blank or a line feed.
    cases.push([`  ${w}`, [named(range(0, 2, end), w)], []]);
    cases.push([`  ${w} \n`, [named(range(0, 2, end), w)], []]);
    cases.push([`  ${w}\n`, [named(range(0, 2, end), w)], []]);
    cases.push([`  NOP #${w},#${w}`, [named(range(0, 2, 5), 'NOP', [
      hashName(range(0, 6, 7 + length), w),
      hashName(range(0, 8 + length, 9 + 2 * length), w),
    ])], []]);
    for (const [source, nodes, diagnostics] of cases) {
      assert.deepStrictEqual(await lex(source), { optimize: 0, nodes, diagnostics }, source);
    }
  }
});

const tag = (text, ...where) => ({ range: range(...where), type: 14, filePath: 't.vx', tag: text });
const noBlocks = { 'syntax.parseBlocks': false };

test('block tags: nodes, 1302 and 1303', () =>
  check([
    [';<main> rest of the line', [], [tag('main', 0, 0, 7)]],
    ['  ;<é>', [], [tag('é', 0, 2, 6)]],
    [';<main>', [], [], noBlocks],
    ['; <main>', []],
    [';<=main>', []],
    // An inline tag stands before the statement on its line; a failed scan leaves it alone.
    [';<=main> 12', [noStatement(0, 9, 11)], [tag('=main', 0, 0, 8)]],
    [';<=main> $', [unexpected('$', 0, 9, 10)]],
    [';<>', [warning(1303, range(0, 0, 3))]],
    [';<> $', [warning(1303, range(0, 0, 3))]],
    [';<>', [], [], noBlocks],
    [';<main', [warning(1302, range(0, 0, 6), ['block-tag'])]],
    [';<main\n$', [warning(1302, range(0, 0, 6), ['block-tag']), unexpected('$', 1, 0, 1)]],
  ]));

test('a NUL byte ends the input: nothing after it is read', () =>
  check([
    ['', []],
    ['$\0$', [unexpected('$', 0, 0, 1)]],
    ['\0\n;<main>\n$', []],
    ['#3\x0000', [noStatement(0, 0, 2)]],
    ['"ab\0cd"', [error(1302, range(0, 0, 3), ['string literal'])]],
    ['; comment\0\n$', []],
    [';<ma\0in>', [warning(1302, range(0, 0, 4), ['block-tag'])]],
    ['$ \r\0\n', [unexpected('$', 0, 0, 1), warning(1201, range(0, 0, 3))]],
  ]));

test('fraction-form numbers are integral or real by their single-precision value', async () => {
  const big = `${'1'.repeat(50)}.5`;
  const tiny = `0.${'0'.repeat(60)}1`;
  const cases = [
    ['2.5', 21],
    ['2.000001', 20],
    ['1.00002', 21],
    // Beyond the single-precision range: no integral value stands for it.
    [big, 21],
    [`-${big}`, 21],
    // Below the smallest single-precision value: as good as 0.
    [tiny, 20],
    [`-${tiny}`, 20],
    // Rounds to the largest single-precision value, which is integral.
    ['340282356779733661637539395458142568447.5', 20],
  ];
  for (const [text, type] of cases) {
    const { nodes, diagnostics } = await lex(`  NOP ${text}`);
    // The kind shows as the operand's node type; its value is the value parser's business.
    const operands = nodes.map((node) => node.operands.map((o) => [o.type, o.buffer]));
    const expected = { operands: [[[type, text]]], diagnostics: [] };
    assert.deepStrictEqual({ operands, diagnostics }, expected, text);
  }
});
