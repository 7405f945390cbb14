'use strict';
// Positions of one text in two coordinate systems, converted through UTF-16 offsets into the
// text:
// - the parser's: a line ends only at a line feed, characters are Unicode code points;
// - the editor's: a line ends at LF, CR LF or a lone CR, characters are UTF-16 code units or,
//   when the client agreed to "utf-32", code points.
// A source is handed to the parser as the UTF-8 form of the same string, where a lone surrogate
// becomes one replacement character: one code unit, one code point, so only whole surrogate
// pairs count twice in UTF-16.

/** @typedef {{ line: number, character: number }} Position */
/** @typedef {{ start: Position, end: Position }} Range */

/** Sorted offsets of the first code unit of each line, and the offsets of surrogate pairs. */
class LineIndex {
  /** @param {string} text @param {boolean} utf32 */
  constructor(text, utf32) {
    this.text = text;
    this.utf32 = utf32;
    /** @type {number[]} line starts of the parser (after each LF) */
    this.lfStarts = [0];
    /** @type {number[]} line starts of the editor (after each LF, CR LF, lone CR) */
    this.editorStarts = [0];
    /** @type {number[]} offsets of the high half of each surrogate pair */
    this.pairs = [];
    // Native searches rather than a loop over every code unit: this runs on each change.
    let lf = text.indexOf('\n');
    let cr = text.indexOf('\r');
    while (lf >= 0 || cr >= 0) {
      if (lf >= 0 && (cr < 0 || lf < cr)) {
        this.lfStarts.push(lf + 1);
        this.editorStarts.push(lf + 1);
        lf = text.indexOf('\n', lf + 1);
      } else {
        if (cr + 1 !== lf) this.editorStarts.push(cr + 1);
        cr = text.indexOf('\r', cr + 1);
      }
    }
    const pair = /[\ud800-\udbff][\udc00-\udfff]/g;
    for (let m = pair.exec(text); m !== null; m = pair.exec(text)) this.pairs.push(m.index);
  }

  /**
   * Offset of code point `count` counted from `start`, stopping at `limit`.
   * @param {number} start @param {number} count @param {number} limit
   */
  advance(start, count, limit) {
    const pairs = this.pairs;
    const first = lowerBound(pairs, start);
    // Pairs at index j >= first lie at code point (pairs[j] - start) - (j - first) from start:
    // find how many of them come before code point `count`.
    let lo = first;
    let hi = lowerBound(pairs, limit);
    while (lo < hi) {
      const mid = (lo + hi) >>> 1;
      if (pairs[mid] - start - (mid - first) < count) lo = mid + 1;
      else hi = mid;
    }
    return Math.min(start + count + (lo - first), limit);
  }

  /** Code points between two offsets. @param {number} from @param {number} to */
  codePoints(from, to) {
    return to - from - (lowerBound(this.pairs, to) - lowerBound(this.pairs, from));
  }

  /** Offset of a parser position, clamped to its line. @param {Position} position */
  offsetOfParser(position) {
    const starts = this.lfStarts;
    const line = clampLine(position.line, starts.length);
    if (line < 0) return 0;
    if (line >= starts.length) return this.text.length;
    const start = starts[line];
    const end = line + 1 < starts.length ? starts[line + 1] - 1 : this.text.length;
    return this.advance(start, Math.max(0, position.character), end);
  }

  /** End of the content of an editor line (before its line break). @param {number} line */
  editorLineEnd(line) {
    const starts = this.editorStarts;
    if (line + 1 >= starts.length) return this.text.length;
    let end = starts[line + 1];
    if (end > 0 && this.text.charCodeAt(end - 1) === 10) end--;
    if (end > starts[line] && this.text.charCodeAt(end - 1) === 13) end--;
    return end;
  }

  /** Offset of an editor position, clamped to the text and to its line's content. @param {Position} position */
  offsetOf(position) {
    const starts = this.editorStarts;
    if (position.line < 0) return 0;
    if (position.line >= starts.length) return this.text.length;
    const start = starts[position.line];
    const end = this.editorLineEnd(position.line);
    const character = Math.max(0, position.character);
    if (!this.utf32) return Math.min(start + character, end);
    return this.advance(start, character, end);
  }

  /** Editor position of an offset. @param {number} offset @returns {Position} */
  positionAt(offset) {
    const o = Math.max(0, Math.min(offset, this.text.length));
    const line = upperBound(this.editorStarts, o) - 1;
    const start = this.editorStarts[line];
    const at = Math.min(o, this.editorLineEnd(line));
    return { line, character: this.utf32 ? this.codePoints(start, at) : at - start };
  }

  /** Editor range of a parser range. @param {Range} range @returns {Range} */
  rangeOf(range) {
    return {
      start: this.positionAt(this.offsetOfParser(range.start)),
      end: this.positionAt(this.offsetOfParser(range.end)),
    };
  }

  /** Parser position of an editor position. @param {Position} position @returns {Position} */
  parserPosition(position) {
    const o = this.offsetOf(position);
    const line = upperBound(this.lfStarts, o) - 1;
    return { line, character: this.codePoints(this.lfStarts[line], o) };
  }

  /** Editor range of two offsets. @param {number} from @param {number} to @returns {Range} */
  rangeOfOffsets(from, to) {
    return { start: this.positionAt(from), end: this.positionAt(to) };
  }
}

/** @param {number} line @param {number} count */
function clampLine(line, count) {
  return Math.min(Math.max(line, -1), count);
}

/** First index whose element is >= value. @param {number[]} array @param {number} value */
function lowerBound(array, value) {
  let lo = 0;
  let hi = array.length;
  while (lo < hi) {
    const mid = (lo + hi) >>> 1;
    if (array[mid] < value) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

/** First index whose element is > value. @param {number[]} array @param {number} value */
function upperBound(array, value) {
  let lo = 0;
  let hi = array.length;
  while (lo < hi) {
    const mid = (lo + hi) >>> 1;
    if (array[mid] <= value) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

/**
 * True when a parser position lies in a parser range (end exclusive, or inclusive when asked).
 * @param {Range} range @param {Position} position
 */
function contains(range, position, inclusiveEnd = false) {
  const { start, end } = range;
  if (position.line < start.line || (position.line === start.line && position.character < start.character)) return false;
  if (position.line > end.line) return false;
  if (position.line === end.line) {
    return inclusiveEnd ? position.character <= end.character : position.character < end.character;
  }
  return true;
}

module.exports = { LineIndex, contains, lowerBound };
