'use strict';
// A JSON reader that keeps where every value and key stands in the text, so that a settings file
// can be checked and each problem pointed at. Strict JSON (no comments, no trailing commas); a
// byte-order mark at the start is skipped. Offsets and lengths are in UTF-16 code units of the text.
//
// readJson(text) → { value } or { error: { message, offset, length } }, where a value is
//   { kind: 'object', offset, length, members: [{ key, keyOffset, keyLength, value }] }
//   { kind: 'array', offset, length, items: [value] }
//   { kind: 'string' | 'number' | 'boolean' | 'null', offset, length, value }

const NUMBER = /-?(?:0|[1-9]\d*)(?:\.\d+)?(?:[eE][+-]?\d+)?/y;
// Nesting deeper than any settings file needs is refused instead of exhausting the stack.
const MAX_DEPTH = 64;

class JsonError {
  constructor(message, offset, length = 1) {
    this.message = message;
    this.offset = offset;
    this.length = length;
  }
}

function shown(text, at) {
  const c = text.codePointAt(at);
  if (c === undefined) return 'the end of the file';
  if (c < 0x20 || c === 0x7f) return `character U+${c.toString(16).toUpperCase().padStart(4, '0')}`;
  return `"${String.fromCodePoint(c)}"`;
}

function readJson(text) {
  let pos = text.charCodeAt(0) === 0xfeff ? 1 : 0;

  const blanks = () => {
    for (;;) {
      const c = text.charCodeAt(pos);
      if (c === 0x20 || c === 0x09 || c === 0x0a || c === 0x0d) pos++;
      else return;
    }
  };
  const fail = (what) => {
    throw new JsonError(`${what}, found ${shown(text, pos)}`, pos, pos < text.length ? 1 : 0);
  };

  const string = () => {
    const start = pos++;
    for (;;) {
      const c = text.charCodeAt(pos);
      if (Number.isNaN(c)) throw new JsonError('unterminated string', start, pos - start);
      if (c === 0x22) break;
      if (c < 0x20) throw new JsonError('line break or control character inside a string', pos);
      pos += c === 0x5c ? 2 : 1;
    }
    pos++;
    try {
      return { kind: 'string', offset: start, length: pos - start, value: JSON.parse(text.slice(start, pos)) };
    } catch {
      throw new JsonError('invalid escape sequence in a string', start, pos - start);
    }
  };

  const value = (depth) => {
    blanks();
    const start = pos;
    const c = text[pos];
    if (c === '"') return string();
    if (c === '{' || c === '[') {
      if (depth >= MAX_DEPTH) throw new JsonError(`nested more than ${MAX_DEPTH} levels deep`, pos);
      return c === '{' ? object(depth + 1) : array(depth + 1);
    }
    for (const [word, v] of [['true', true], ['false', false], ['null', null]]) {
      if (text.startsWith(word, pos)) {
        pos += word.length;
        return { kind: v === null ? 'null' : 'boolean', offset: start, length: word.length, value: v };
      }
    }
    NUMBER.lastIndex = pos;
    const m = NUMBER.exec(text);
    if (m) {
      pos += m[0].length;
      return { kind: 'number', offset: start, length: m[0].length, value: Number(m[0]) };
    }
    return fail('expected a value');
  };

  const object = (depth) => {
    const node = { kind: 'object', offset: pos++, length: 0, members: [] };
    blanks();
    if (text[pos] !== '}') {
      for (;;) {
        blanks();
        if (text[pos] !== '"') fail('expected a key in double quotes');
        const key = string();
        blanks();
        if (text[pos] !== ':') fail('expected ":" after the key');
        pos++;
        node.members.push({ key: key.value, keyOffset: key.offset, keyLength: key.length, value: value(depth) });
        blanks();
        if (text[pos] === '}') break;
        if (text[pos] !== ',') fail('expected "," or "}"');
        pos++;
      }
    }
    pos++;
    node.length = pos - node.offset;
    return node;
  };

  const array = (depth) => {
    const node = { kind: 'array', offset: pos++, length: 0, items: [] };
    blanks();
    if (text[pos] !== ']') {
      for (;;) {
        node.items.push(value(depth));
        blanks();
        if (text[pos] === ']') break;
        if (text[pos] !== ',') fail('expected "," or "]"');
        pos++;
      }
    }
    pos++;
    node.length = pos - node.offset;
    return node;
  };

  try {
    const root = value(0);
    blanks();
    if (pos < text.length) fail('expected the end of the file after the value');
    return { value: root };
  } catch (error) {
    if (error instanceof JsonError) return { error };
    throw error;
  }
}

module.exports = { readJson };
