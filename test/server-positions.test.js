'use strict';
// The language server's conversion between the parser's positions (lines at LF only, code points)
// and the editor's (lines at LF, CR LF and lone CR; UTF-16 code units or code points), checked at
// every offset of texts mixing the three line ends, astral characters and lone surrogates
// against a plain restatement of both counting rules.
const test = require('node:test');
const assert = require('node:assert/strict');
const { LineIndex } = require('../lib/server/positions.js');

const TEXTS = [
  '',
  'abc',
  'a\nb\r\nc\rd',
  '😀x\n\r\r\n😀😀\r😀',
  '\ud800a\udc00\n\udbff\udfff\r\n',
  '\r\r\n\n\r',
  'L1:\r    MOV "😀", #300\r    MOV #999\r',
];

/** Editor lines: [start offset, content end offset] for each line. */
function editorLines(text) {
  const lines = [];
  let start = 0;
  for (let i = 0; i < text.length; i++) {
    if (text[i] === '\n' || text[i] === '\r') {
      lines.push([start, i]);
      if (text[i] === '\r' && text[i + 1] === '\n') i++;
      start = i + 1;
    }
  }
  lines.push([start, text.length]);
  return lines;
}

/** Code points of text.slice(from, to) (a pair split at either end counts as it lies). */
const codePoints = (text, from, to) => Array.from(text.slice(from, to)).length;

/** Offsets that start a code point and do not split CR LF (where an editor position can point). */
function boundaries(text) {
  const list = [];
  for (let o = 0; o <= text.length; o++) {
    const c = text.charCodeAt(o);
    const prev = text.charCodeAt(o - 1);
    if (c >= 0xdc00 && c <= 0xdfff && prev >= 0xd800 && prev <= 0xdbff) continue;
    if (c === 10 && prev === 13) continue;
    list.push(o);
  }
  return list;
}

test('editor positions and offsets convert both ways in both encodings', () => {
  for (const text of TEXTS) {
    const lines = editorLines(text);
    for (const utf32 of [false, true]) {
      const index = new LineIndex(text, utf32);
      for (const o of boundaries(text)) {
        const line = lines.findIndex(([start, end], i) => o >= start && (o <= end || i === lines.length - 1) && (i + 1 >= lines.length || o < lines[i + 1][0]));
        const expected = { line, character: utf32 ? codePoints(text, lines[line][0], o) : o - lines[line][0] };
        const label = `${JSON.stringify(text)} at ${o} (${utf32 ? 'utf-32' : 'utf-16'})`;
        assert.deepStrictEqual(index.positionAt(o), expected, label);
        assert.equal(index.offsetOf(expected), o, label);
      }
      // Past the end of a line or of the text: clamped to the line's content, or to the end.
      assert.equal(index.offsetOf({ line: 0, character: 1e9 }), lines[0][1]);
      assert.equal(index.offsetOf({ line: 1e9, character: 0 }), text.length);
    }
  }
});

test('parser positions (lines at LF only, code points) map to the same offsets', () => {
  for (const text of TEXTS) {
    const index = new LineIndex(text, false);
    const parserLines = text.split('\n');
    let start = 0;
    for (const [line, content] of parserLines.entries()) {
      const points = Array.from(content);
      let offset = start;
      for (let character = 0; character <= points.length; character++) {
        const label = `${JSON.stringify(text)} at ${line}:${character}`;
        assert.equal(index.offsetOfParser({ line, character }), offset, label);
        // Between CR and LF lies no editor position: the editor's nearest is before the CR.
        const split = text[offset - 1] === '\r' && text[offset] === '\n';
        assert.deepStrictEqual(index.parserPosition(index.positionAt(offset)), { line, character: character - (split ? 1 : 0) }, label);
        offset += points[character]?.length ?? 0;
      }
      assert.equal(index.offsetOfParser({ line, character: points.length + 5 }), start + content.length);
      start += content.length + 1;
    }
  }
});
