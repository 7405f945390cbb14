'use strict';
// The result decoder: turns the compact encoding of a parse result (src/syntax/compact_writer.h)
// into the result objects, a slice at a time. The addon calls `start` once when the worker has
// encoded the result, then `step` once per turn of the event loop until it returns the result.
//
// Objects are read by one decoder per layout: a function the addon compiled from the layout
// (src/addon/decoders.cc), which builds the object as a literal; or, where the host refuses to
// compile, an interpreter of the layout made here, which builds the same object property by
// property. Both read through the state object: the stream as `a` (signed words) and `u`
// (unsigned), the position `p`, the texts `s`, the decoders `D` and the helpers `d`, `t` and `l`.
const { performance } = require('node:perf_hooks');

// Captured now: a script may replace the global clock later.
const now = performance.now.bind(performance);

// Record tags and value kinds, as the compact writer numbers them.
const NODE_RECORD = 0;
const LIST_RECORD = 1;
const RANGE = 0;
const INTEGER = 1;
const WIDE = 2;
const NUMBER = 3;
const TEXT = 4;
const BOOLEAN = 5;
const TEXTS = 6;
const NODE = 7;
const NODES = 8;

// Time one slice may take: well below the 20 ms the event loop may be held, leaving room for a
// garbage collection that falls into the slice.
const SLICE_MS = 6;
// Records decoded, and texts made, between looks at the clock.
const CHECK_RECORDS = 32;
const CHECK_TEXTS = 4096;

// The double in words p and p + 1.
const words = new Int32Array(2);
const double = new Float64Array(words.buffer);
function readDouble(p) {
  const a = this.a;
  words[0] = a[p];
  words[1] = a[p + 1];
  return double[0];
}

// A list of texts at S.p: count, text numbers.
function readTexts(S) {
  const a = S.a;
  let p = S.p;
  const n = a[p++];
  const list = new Array(n);
  for (let i = 0; i < n; i++) list[i] = S.s[a[p++]];
  S.p = p;
  return list;
}

// A list of nodes at S.p: count and objects, or ~k for the k-th list record, built ahead.
function readNodes(S) {
  const a = S.a;
  const n = a[S.p++];
  if (n < 0) {
    const list = S.pre[~n];
    S.pre[~n] = undefined;
    return list;
  }
  const list = new Array(n);
  const D = S.D;
  for (let i = 0; i < n; i++) list[i] = D[a[S.p]](S);
  return list;
}

class State {
  constructor(stream, texts, pool, bytes, decoders, optimize, nodes, diagnostics, utf8) {
    this.a = new Int32Array(stream);
    this.u = new Uint32Array(stream);
    this.p = 0;
    this.s = new Array(texts.byteLength / 12);
    this.D = decoders;
    this.pre = [];
    this.d = readDouble;
    this.t = readTexts;
    this.l = readNodes;
    // Texts made so far, and what they are made from.
    this.textTable = new Int32Array(texts);
    this.textsMade = 0;
    this.pool = pool;
    this.bytes = bytes;
    this.utf8 = utf8;
    // The list record being filled, and how far.
    this.list = null;
    this.listNext = 0;
    this.optimize = optimize;
    this.nodes = new Array(nodes);
    this.nodeNext = 0;
    this.diagnostics = new Array(diagnostics);
    this.diagnosticNext = 0;
  }
}

// The decoder of a layout that is interpreted: names and kinds alternate in `description`.
function interpreter(description) {
  const names = [];
  const kinds = [];
  for (let i = 0; i < description.length; i += 2) {
    names.push(description[i]);
    kinds.push(description[i + 1]);
  }
  return function interpret(S) {
    const a = S.a;
    const u = S.u;
    S.p++;
    const object = {};
    for (let i = 0; i < names.length; i++) {
      const p = S.p;
      let value;
      switch (kinds[i]) {
        case RANGE:
          value = { start: { line: u[p], character: u[p + 1] }, end: { line: u[p + 2], character: u[p + 3] } };
          S.p = p + 4;
          break;
        case INTEGER:
          value = a[p];
          S.p = p + 1;
          break;
        case WIDE:
        case NUMBER:
          value = S.d(p);
          S.p = p + 2;
          break;
        case TEXT:
          value = S.s[a[p]];
          S.p = p + 1;
          break;
        case BOOLEAN:
          value = a[p] !== 0;
          S.p = p + 1;
          break;
        case TEXTS:
          value = S.t(S);
          break;
        case NODE:
          value = S.D[a[p]](S);
          break;
        case NODES:
          value = S.l(S);
          break;
        default:
          throw new Error(`unknown value kind ${kinds[i]} in a result layout`);
      }
      object[names[i]] = value;
    }
    return object;
  };
}

/**
 * The decoding state of one result: `stream` (the words), `texts` (offset, size and 1 for ASCII,
 * per text), `pool` (every text byte as one Latin-1 string) and `bytes` (the same bytes),
 * `compiled` and `layouts` (per layout its compiled decoder or undefined, and its names and
 * kinds), the result's `optimize` mask and counts, and `utf8`, which makes a string of bytes.
 */
function start(stream, texts, pool, bytes, compiled, layouts, optimize, nodes, diagnostics, utf8) {
  const decoders = new Array(layouts.length);
  for (let i = 0; i < layouts.length; i++) {
    decoders[i] = typeof compiled[i] === 'function' ? compiled[i] : interpreter(layouts[i]);
  }
  return new State(stream, texts, pool, bytes, decoders, optimize, nodes, diagnostics, utf8);
}

// Makes texts until `deadline`; true when all are made.
function makeTexts(S, deadline) {
  const table = S.textTable;
  const s = S.s;
  const count = s.length;
  let i = S.textsMade;
  while (i < count) {
    const end = Math.min(count, i + CHECK_TEXTS);
    for (; i < end; i++) {
      const offset = table[3 * i];
      const size = table[3 * i + 1];
      s[i] = table[3 * i + 2] === 1
        ? S.pool.substring(offset, offset + size)
        : S.utf8(S.bytes, offset, size);
    }
    if (i < count && now() >= deadline) break;
  }
  S.textsMade = i;
  return i === count;
}

/** Decodes for one slice; the result once everything is decoded, else undefined. */
function step(S) {
  const deadline = now() + SLICE_MS;
  if (S.textsMade < S.s.length && !makeTexts(S, deadline)) return undefined;
  const a = S.a;
  const end = a.length;
  const D = S.D;
  let done = 0;
  while (true) {
    if (S.list !== null) {
      // A long list, an element at a time.
      const list = S.list;
      let i = S.listNext;
      while (i < list.length) {
        list[i++] = D[a[S.p]](S);
        if (++done % CHECK_RECORDS === 0 && i < list.length && now() >= deadline) {
          S.listNext = i;
          return undefined;
        }
      }
      S.pre.push(list);
      S.list = null;
    }
    if (S.p >= end) break;
    const tag = a[S.p++];
    if (tag === NODE_RECORD) {
      S.nodes[S.nodeNext++] = D[a[S.p]](S);
    } else if (tag === LIST_RECORD) {
      S.list = new Array(a[S.p++]);
      S.listNext = 0;
      continue;
    } else {
      S.diagnostics[S.diagnosticNext++] = D[a[S.p]](S);
    }
    if (++done % CHECK_RECORDS === 0 && S.p < end && now() >= deadline) return undefined;
  }
  return { optimize: S.optimize, nodes: S.nodes, diagnostics: S.diagnostics };
}

module.exports = { start, step };
