'use strict';
// What every parse result must satisfy, whatever the source: each range (of a node, a nested
// node or a diagnostic) is ordered and lies inside the source. Shared by the property and
// hostile-input tests.
const assert = require('node:assert/strict');

// Characters per line as the lexer counts them: a byte that continues a pending UTF-8 sequence
// belongs to the character before; any other byte starts a character; a line feed ends the line.
// The source (bytes, or a string taken as UTF-8) ends at its first NUL byte.
function lineWidths(source) {
  const bytes = typeof source === 'string' ? Buffer.from(source) : source;
  const widths = [];
  let characters = 0;
  let pending = 0;
  for (const byte of bytes) {
    if (byte === 0) break;
    if (pending > 0) {
      if (byte >= 0x80 && byte <= 0xbf) {
        pending--;
        continue;
      }
      pending = 0;
    }
    if (byte === 0x0a) {
      widths.push(characters);
      characters = 0;
      continue;
    }
    characters++;
    if (byte >= 0x80) pending = byte <= 0xdf ? 1 : byte <= 0xef ? 2 : 3;
  }
  widths.push(characters);
  return widths;
}

function checkPosition(position, widths, where) {
  assert.ok(Number.isInteger(position.line) && position.line >= 0, `${where}: line ${position.line}`);
  assert.ok(position.line < widths.length, `${where}: line ${position.line} past the last line`);
  // One character past the line's last is the width of a Newline or EndOfInput token.
  assert.ok(
    Number.isInteger(position.character) && position.character >= 0 &&
      position.character <= widths[position.line] + 1,
    `${where}: character ${position.character} past line ${position.line} (${widths[position.line]} wide)`,
  );
}

// Visits every object of a parse result without recursing; each `range` found is checked.
function checkRanges(result, bytes) {
  const widths = lineWidths(bytes);
  const stack = [[result, 'result']];
  while (stack.length > 0) {
    const [value, where] = stack.pop();
    if (value === null || typeof value !== 'object') continue;
    if (where !== 'result' && 'range' in value) {
      const { start, end } = value.range;
      checkPosition(start, widths, `${where}.range.start`);
      checkPosition(end, widths, `${where}.range.end`);
      assert.ok(
        start.line < end.line || (start.line === end.line && start.character <= end.character),
        `${where}: range ends before it starts: ${JSON.stringify(value.range)}`,
      );
    }
    for (const [key, inner] of Object.entries(value)) {
      if (key !== 'range') stack.push([inner, `${where}.${key}`]);
    }
  }
}

module.exports = { lineWidths, checkRanges };
