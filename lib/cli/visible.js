'use strict';
// Text made safe for a terminal: control characters (C0 but tab, DEL, C1) and the bidirectional
// overrides that reorder what a reader sees are written as escapes, so that no source byte or
// message argument can move the cursor, clear the screen, set a title or hide text.

// Caught by `visible`; tab is left alone, it only moves to the next stop.
const UNSAFE = /[\x00-\x08\x0a-\x1f\x7f-\x9f\u061c\u200e\u200f\u202a-\u202e\u2066-\u2069]/g;

function escapeCode(code) {
  return code < 0x80 ? `\\x${code.toString(16).padStart(2, '0')}` : `\\u${code.toString(16).padStart(4, '0')}`;
}

/** A byte that is no part of a whole UTF-8 character: \xff. */
function escapeByte(byte) {
  return `\\x${byte.toString(16).padStart(2, '0')}`;
}

const UNSAFE_ONE = new RegExp(UNSAFE.source);

function isUnsafe(code) {
  return UNSAFE_ONE.test(String.fromCodePoint(code));
}

/** `text` with every unsafe character escaped (\x1b, \u0085, \u202e). */
function visible(text) {
  return String(text).replace(UNSAFE, (c) => escapeCode(c.codePointAt(0)));
}

/** "U+0001": how a message names a character that cannot be shown. */
function codePoint(code) {
  return `U+${code.toString(16).toUpperCase().padStart(4, '0')}`;
}

module.exports = { visible, escapeCode, escapeByte, isUnsafe, codePoint };
