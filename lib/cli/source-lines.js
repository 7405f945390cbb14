'use strict';
// The lines of a source as the parser counts them, read straight from its bytes: a line ends at a
// line feed, and a character is one UTF-8 sequence, with a damaged sequence ending where a byte
// that is no continuation byte starts the next character (the lexer's rule, so that columns
// agree with the diagnostics). Nothing here turns a whole source, or a whole line, into a string:
// a file of hundreds of megabytes on one line costs no more than the window that is shown.
const { escapeCode, escapeByte, isUnsafe } = require('./visible.js');

// Every STEP-th character of the current line has its byte offset remembered, so that finding a
// character again costs at most STEP steps.
const STEP = 256;

function continuations(lead) {
  return lead <= 0xdf ? 1 : lead <= 0xef ? 2 : 3;
}

class SourceLines {
  constructor(buffer) {
    this.buffer = buffer;
    this.rewind();
  }

  rewind() {
    this.number = 0;
    this.start = 0;
    this.setEnd();
  }

  setEnd() {
    const feed = this.buffer.indexOf(10, this.start);
    this.end = feed === -1 ? this.buffer.length : feed;
    // The carriage return of a CR LF pair is no part of what is shown.
    if (feed !== -1 && this.end > this.start && this.buffer[this.end - 1] === 13) this.end--;
    this.marks = [this.start];
  }

  /** Makes line `n` (zero-based) the current one; past the last line, the current line is empty. */
  seek(n) {
    if (n < this.number) this.rewind();
    while (this.number < n) {
      const feed = this.buffer.indexOf(10, this.end);
      if (feed === -1) {
        this.start = this.buffer.length;
        this.end = this.start;
        this.marks = [this.start];
        this.number = n;
        return;
      }
      this.start = feed + 1;
      this.number++;
      this.setEnd();
    }
  }

  next(at) {
    const { buffer } = this;
    const lead = buffer[at++];
    if (lead < 0x80) return at;
    let expected = continuations(lead);
    while (expected > 0 && at < this.end && buffer[at] >= 0x80 && buffer[at] <= 0xbf) {
      at++;
      expected--;
    }
    return at;
  }

  /** Byte offset of character `k` of the current line, or the line's end when it is shorter. */
  byteOf(k) {
    const { marks } = this;
    let mark = Math.min(Math.floor(k / STEP), marks.length - 1);
    let at = marks[mark];
    for (let i = mark * STEP; i < k; i++) {
      if (at >= this.end) return this.end;
      at = this.next(at);
      if ((i + 1) % STEP === 0 && (i + 1) / STEP === marks.length) marks.push(at);
    }
    return at;
  }

  /** The smaller of `k` and the number of characters on the current line. */
  countUpTo(k) {
    let lo = Math.min(Math.floor(k / STEP), this.marks.length - 1) * STEP;
    let at = this.byteOf(lo);
    while (lo < k && at < this.end) {
      at = this.next(at);
      lo++;
    }
    return lo;
  }

  /** Characters `from` to `to` (exclusive) of the current line, each in the form it is shown in. */
  chars(from, to) {
    const out = [];
    let at = this.byteOf(from);
    for (let i = from; i < to && at < this.end; i++) {
      const next = this.next(at);
      out.push(this.show(at, next));
      at = next;
    }
    return out;
  }

  /**
   * Character `k` of the current line: its code point, or null when it is no whole UTF-8
   * character, with the form it is shown in; null past the line's end.
   */
  charAt(k) {
    const at = this.byteOf(k);
    if (at >= this.end) return null;
    const next = this.next(at);
    const shown = this.show(at, next);
    const text = this.buffer.toString('utf8', at, next);
    const whole = shown === text || shown === escapeCode(text.codePointAt(0));
    return { code: whole ? text.codePointAt(0) : null, shown };
  }

  show(at, next) {
    const { buffer } = this;
    if (next - at === 1 && buffer[at] < 0x80) {
      const code = buffer[at];
      return isUnsafe(code) ? escapeCode(code) : String.fromCharCode(code);
    }
    const text = buffer.toString('utf8', at, next);
    const code = text.codePointAt(0);
    // A sequence that decodes to one character and encodes back to the same bytes is whole.
    if (text.length === (code > 0xffff ? 2 : 1) && Buffer.byteLength(text) === next - at && code !== 0xfffd) {
      return isUnsafe(code) ? escapeCode(code) : text;
    }
    if (code === 0xfffd && next - at === 3 && buffer[at] === 0xef && buffer[at + 1] === 0xbf && buffer[at + 2] === 0xbd) return text;
    let escaped = '';
    for (let i = at; i < next; i++) escaped += escapeByte(buffer[i]);
    return escaped;
  }
}

// About this many columns of a long line are shown, the range's start some way in.
const WIDTH = 100;
const LEAD = 30;
const CUT = '...';

const columns = (shown) => (shown === '\t' ? 1 : shown.length);

/**
 * The source line of a range and a caret line under it, cut to a window of about WIDTH columns
 * around the range's start where the line is longer (marked "..." where cut). `paint.caret`
 * colours the underline.
 */
function excerpt(lines, range, paint) {
  lines.seek(range.start.line);
  const start = lines.countUpTo(range.start.character);
  const end = range.end.line === range.start.line ? Math.max(range.end.character, start + 1) : Infinity;
  // Characters are at least a column wide: LEAD characters back and WIDTH on reach every column
  // the window can show.
  const lo = Math.max(0, start - LEAD);
  const chunk = lines.chars(lo, start + WIDTH + 1);
  let from = 0;
  let total = 0;
  for (let i = 0; i < chunk.length && total <= WIDTH; i++) total += columns(chunk[i]);
  if (lo > 0 || total > WIDTH) {
    // Too long for one window: back from the start as far as LEAD columns go.
    let used = 0;
    for (from = start; from > lo && used + columns(chunk[from - 1 - lo]) <= LEAD; from--) used += columns(chunk[from - 1 - lo]);
  }
  const shown = [];
  let width = 0;
  for (let i = from - lo; i < chunk.length && (width + columns(chunk[i]) <= WIDTH || i === start - lo); i++) {
    shown.push(chunk[i]);
    width += columns(chunk[i]);
  }
  const cutEnd = from - lo + shown.length < chunk.length;
  const head = from > 0 ? CUT : '';
  let pad = ' '.repeat(head.length);
  for (let i = 0; i < start - from; i++) pad += shown[i] === '\t' ? '\t' : ' '.repeat(shown[i].length);
  // The underline may reach one column past the line's end (where a missing token would be).
  let underline = 0;
  const last = Math.min(end - from, shown.length + (cutEnd ? 0 : 1));
  for (let i = start - from; i < last; i++) underline += shown[i] === undefined ? 1 : columns(shown[i]);
  underline = Math.max(1, underline);
  return `${head}${shown.join('')}${cutEnd ? CUT : ''}\n${pad}${paint.caret('^' + '~'.repeat(underline - 1))}`;
}

/** Line and character (zero-based, as the parser counts) of byte `offset`. */
function positionOf(buffer, offset) {
  let line = 0;
  for (let feed = buffer.indexOf(10); feed !== -1 && feed < offset; feed = buffer.indexOf(10, feed + 1)) line++;
  const lines = new SourceLines(buffer.subarray(0, offset));
  lines.seek(line);
  return { line, character: lines.countUpTo(Infinity) };
}

module.exports = { SourceLines, excerpt, positionOf };
