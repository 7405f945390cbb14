'use strict';
// The command line's view of source text, on arbitrary bytes: lines and columns agree with the
// positions the lexer gives (so that carets stand under the right character), what is shown holds
// no character a terminal would act on, and a window of a long line keeps the caret under the
// range's first character.
const test = require('node:test');
const assert = require('node:assert/strict');
const fc = require('fast-check');
const { visible } = require('../lib/cli/visible.js');
const { SourceLines, excerpt, positionOf } = require('../lib/cli/source-lines.js');
const { lineWidths } = require('./invariants');

const PLAIN = { caret: (text) => text };
const UNSAFE = /[\x00-\x08\x0a-\x1f\x7f-\x9f\u202a-\u202e\u2066-\u2069]/;
// Fixed seeds: the same cases on every run.
const OPTIONS = { seed: 18, numRuns: 300 };

// Bytes of every kind: ASCII, tabs and line feeds, control bytes, whole and broken UTF-8; no NUL
// (the text ends there) and no carriage return (the display drops the one of a CR LF pair).
const bytes = fc.array(fc.oneof(
  fc.constantFrom(0x09, 0x0a, 0x0a, 0x20, 0x1b, 0x07, 0x7f),
  fc.integer({ min: 0x20, max: 0x7e }),
  fc.integer({ min: 0x80, max: 0xff }),
  fc.constantFrom(...Buffer.from('Δ€𝔸\u0085\u202e')),
), { maxLength: 400, size: 'max' }).map((list) => Buffer.from(list));

test('unsafe characters are escaped, everything else is left alone', () => {
  const cases = [
    ['plain\ttext Δ €', 'plain\ttext Δ €'],
    ['\x1b[2J\x07', '\\x1b[2J\\x07'],
    ['a\nb\rc\x00', 'a\\x0ab\\x0dc\\x00'],
    ['\x7f\x85\x9f', '\\x7f\\u0085\\u009f'],
    ['\u202eevil\u2066', '\\u202eevil\\u2066'],
  ];
  for (const [text, shown] of cases) assert.equal(visible(text), shown);
});

test('lines and their characters are counted as the lexer counts them', () => {
  fc.assert(fc.property(bytes, (buffer) => {
    const widths = lineWidths(buffer);
    const lines = new SourceLines(buffer);
    widths.forEach((width, n) => {
      lines.seek(n);
      assert.equal(lines.countUpTo(Infinity), width, `line ${n}`);
      const shown = lines.chars(0, Infinity);
      assert.equal(shown.length, width);
      for (const char of shown) assert.doesNotMatch(char, UNSAFE);
    });
    // Going back to an earlier line starts over and still agrees.
    lines.seek(0);
    assert.equal(lines.countUpTo(Infinity), widths[0]);
  }), OPTIONS);
});

test('an excerpt is a window of the shown line with the caret under the range\'s first character', () => {
  const cases = fc.tuple(bytes, fc.nat(), fc.nat(), fc.nat({ max: 12 })).map(([buffer, line, start, length]) => {
    // Long lines too: the bytes repeated on one line.
    const long = Buffer.concat(Array(8).fill(buffer.filter((b) => b !== 0x0a)));
    const source = line % 3 === 0 ? long : buffer;
    const widths = lineWidths(source);
    const n = line % widths.length;
    const character = widths[n] === 0 ? 0 : start % (widths[n] + 1);
    return { source, range: { start: { line: n, character }, end: { line: n, character: character + length } } };
  });
  fc.assert(fc.property(cases, ({ source, range }) => {
    const lines = new SourceLines(source);
    lines.seek(range.start.line);
    const whole = lines.chars(0, Infinity);
    const [text, caret] = excerpt(lines, range, PLAIN).split('\n');
    assert.doesNotMatch(text, UNSAFE);
    const pad = caret.length - caret.trimStart().length;
    assert.match(caret.slice(pad), /^\^~*$/);
    const head = text.startsWith('...') ? 3 : 0;
    const tail = text.endsWith('...') && text.length - 3 >= head && text !== whole.join('') ? 3 : 0;
    const body = text.slice(head, text.length - tail);
    assert.ok(whole.join('').includes(body), 'the window is a piece of the line');
    assert.ok(body.length <= 100 + 12, `${body.length} columns shown`);
    const at = whole[range.start.character];
    if (at !== undefined) assert.ok(text.slice(pad).startsWith(at), `caret at ${pad} under ${JSON.stringify(at)}`);
    else assert.equal(pad, text.length - tail);
  }), OPTIONS);
});

test('excerpts from one reader, in any order, are those of a fresh reader each', () => {
  // The reader remembers offsets within the current line; using them must change nothing.
  const cases = fc.tuple(bytes, fc.array(fc.tuple(fc.nat(), fc.nat()), { minLength: 1, maxLength: 8 }))
    .map(([buffer, picks]) => {
      // One long line first, then the lines of the bytes as they are.
      const source = Buffer.concat([...Array(8).fill(buffer.filter((b) => b !== 0x0a)), Buffer.from('\n'), buffer]);
      const widths = lineWidths(source);
      return {
        source,
        ranges: picks.map(([line, character]) => {
          const n = line % widths.length;
          const at = { line: n, character: character % (widths[n] + 1) };
          return { start: at, end: at };
        }),
      };
    });
  fc.assert(fc.property(cases, ({ source, ranges }) => {
    const shared = new SourceLines(source);
    for (const range of ranges) assert.equal(excerpt(shared, range, PLAIN), excerpt(new SourceLines(source), range, PLAIN));
  }), OPTIONS);
});

test('a NUL byte is placed by line and character as the lexer would reach it', () => {
  const cases = [
    ['\0', { line: 0, character: 0 }],
    ['  NOP\n  Δx\0rest\n', { line: 1, character: 4 }],
    ['\xe2\x82\n\xff\xfe\0', { line: 1, character: 2 }],
  ];
  for (const [text, position] of cases) {
    const buffer = Buffer.from(text, 'latin1');
    const fixed = text.includes('Δ') ? Buffer.from(text) : buffer;
    assert.deepEqual(positionOf(fixed, fixed.indexOf(0)), position, JSON.stringify(text));
  }
});
