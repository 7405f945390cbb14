'use strict';
// The result decoder: turns the compact encoding of a parse result (src/syntax/compact_writer.h)
// into the result objects, a slice at a time. The addon calls `start` once, `feed` with each
// chunk of the encoding as the worker hands it over (the worker goes on encoding the next while
// this decodes), and `step` once per turn of the event loop until it returns the result.
//
// Objects are read by one decoder per layout: a function the addon compiled from the layout
// (src/addon/decoders.cc), which builds the object as a literal; or, where the host refuses to
// compile, an interpreter of the layout made here, which builds the same object property by
// property. Both read through the state object: the stream as `a` (signed words) and `u`
// (unsigned), the position `p`, the texts `s`, the decoders `D` and the helpers `d`, `t` and `l`.
const { performance } = require('node:perf_hooks');

// Captured now: a script may replace the globals later. `immediate` is the hop to the next slice
// of a copy or a decoding (src/addon/later.h): it goes through the event loop alone, never through
// the thread pool, where it would wait behind any pool job.
const now = performance.now.bind(performance);
const immediate = setImmediate;
// The Latin-1 string of bytes start..end of a Uint8Array, always a copy of its own.
const latin1Slice = Buffer.prototype.latin1Slice;
const latin1 = latin1Slice.call.bind(latin1Slice);
// Characters start..end of a string. The engine copies substrings shorter than SHORT_TEXT into
// strings of their own, and makes longer ones views that would keep the whole string alive.
const substringOf = String.prototype.substring;
const substring = substringOf.call.bind(substringOf);
const SHORT_TEXT = 13;

// The encoding's record tags and value kinds (src/syntax/compact_writer.h numbers them the same
// way; test/encoding.test.js checks that the writer, the decoder generator and this file agree).
const NODE_RECORD = 0;
const LIST_RECORD = 1;
const DIAGNOSTIC_RECORD = 2;
const KINDS = ['Range', 'Integer', 'Number', 'Text', 'Boolean', 'Texts', 'Node', 'Nodes'];
const [RANGE, INTEGER, NUMBER, TEXT, BOOLEAN, TEXTS, NODE, NODES] = KINDS.map((_, i) => i);

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

const NO_WORDS = new Int32Array(0);
const NO_BYTES = new Uint8Array(0);

class State {
  constructor(input) {
    // The chunk being decoded: its words as `a` and `u`, the position `p`.
    this.a = NO_WORDS;
    this.u = new Uint32Array(0);
    this.p = 0;
    // Texts and decoders of every chunk so far: a chunk's records use those of the chunks before.
    this.s = [];
    this.D = [];
    this.pre = [];
    this.d = readDouble;
    this.t = readTexts;
    this.l = readNodes;
    // The chunk's texts: its table (offset, size, 1 for ASCII, per text), its bytes, and how many
    // of its texts are made.
    this.textTable = new Uint32Array(0);
    this.textBase = 0;
    this.textsBefore = 0;
    this.textCount = 0;
    this.textsMade = 0;
    this.bytes = null;
    this.view = NO_BYTES;
    // The chunk's text bytes as one Latin-1 string, made when a short text first needs it.
    this.latin = null;
    this.utf8 = input.utf8;
    // Texts plus records per slice where a test fixed it, else 0: the clock ends each slice.
    this.units = input.units;
    // Chunks fed and not yet begun; chunks wholly decoded, whose memory the addon may free.
    this.queue = [];
    this.queueNext = 0;
    this.begun = false;
    this.consumed = 0;
    // The list record being filled, and how far.
    this.list = null;
    this.listNext = 0;
    // Set by the last chunk.
    this.last = false;
    this.optimize = 0;
    this.nodes = [];
    this.nodeNext = 0;
    this.diagnostics = [];
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
 * The decoding state of one result, from the addon's `input`: `utf8`, which makes a string of
 * bytes that are not ASCII, and `units`, the work per slice where a test fixed it. The encoding
 * arrives in chunks through `feed`, in the order written, while the worker may still be writing
 * the next ones.
 */
function start(input) {
  return new State(input);
}

/**
 * Queues one chunk: `stream` (its words), `texts` (offset, size and 1 for ASCII, per text first
 * used in it) and `bytes` (their bytes), `compiled` and `layouts` (per layout first used in it,
 * its compiled decoder, or undefined and its names and kinds), and the counts of its `nodes` and
 * `diagnostics` records; the last chunk also has `last` and the result's `optimize` mask.
 */
function feed(S, chunk) {
  const { compiled, layouts } = chunk;
  for (let i = 0; i < compiled.length; i++) {
    S.D.push(typeof compiled[i] === 'function' ? compiled[i] : interpreter(layouts[i]));
  }
  S.queue.push(chunk);
  if (chunk.last === true) {
    S.last = true;
    S.optimize = chunk.optimize;
  }
}

// Grows `list` to hold at least `count` elements.
function room(list, count) {
  if (count > list.length) list.length = count > 2 * list.length ? count : 2 * list.length;
}

// Makes the next queued chunk the one decoded.
function begin(S) {
  const chunk = S.queue[S.queueNext];
  S.queue[S.queueNext++] = undefined;
  S.a = new Int32Array(chunk.stream);
  S.u = new Uint32Array(chunk.stream);
  S.p = 0;
  S.textTable = new Uint32Array(chunk.texts);
  S.textCount = S.textTable.length / 3;
  S.textsMade = 0;
  // The lists are filled by index, and grown ahead of need: at least doubled, so that a result of
  // many chunks copies each list a few times only. The result's lists are cut to size at the end.
  S.textBase = S.textsBefore;
  S.textsBefore += S.textCount;
  room(S.s, S.textsBefore);
  room(S.nodes, S.nodeNext + chunk.nodes);
  room(S.diagnostics, S.diagnosticNext + chunk.diagnostics);
  S.bytes = chunk.bytes;
  S.view = new Uint8Array(chunk.bytes);
  S.latin = null;
  S.begun = true;
}

// The budget of one slice: a number of units (a text made, a record or list element decoded)
// where a test fixed it, else the clock.
class Slice {
  constructor(units) {
    this.left = units === 0 ? Infinity : units;
    this.deadline = units === 0 ? now() + SLICE_MS : Infinity;
  }

  // True when the slice is over.
  over() {
    return this.left <= 0 || (this.deadline !== Infinity && now() >= this.deadline);
  }

  // Units that may be done before the next look at the budget: at most `chunk`.
  room(chunk) {
    return chunk < this.left ? chunk : this.left;
  }

  // Counts `done` units; true when the slice is over.
  spend(done) {
    this.left -= done;
    return this.left <= 0 || (this.deadline !== Infinity && now() >= this.deadline);
  }
}

// Makes the chunk's texts until the slice is over; true when all are made. Every text is a string
// of its own characters, never a slice of a larger string that a kept text would hold alive.
function makeTexts(S, slice) {
  const table = S.textTable;
  const s = S.s;
  const base = S.textBase;
  const count = S.textCount;
  let i = S.textsMade;
  while (i < count) {
    const from = i;
    const room = i + slice.room(CHECK_TEXTS);
    const end = room < count ? room : count;
    for (; i < end; i++) {
      const offset = table[3 * i];
      const size = table[3 * i + 1];
      if (table[3 * i + 2] !== 1) {
        s[base + i] = S.utf8(S.bytes, offset, size);
      } else if (size < SHORT_TEXT) {
        // Most texts are short (names, numbers): cut from one string of the chunk's text bytes,
        // without a call into the runtime for each.
        if (S.latin === null) S.latin = latin1(S.view, 0, S.view.length);
        s[base + i] = substring(S.latin, offset, offset + size);
      } else {
        s[base + i] = latin1(S.view, offset, offset + size);
      }
    }
    if (slice.spend(i - from)) break;
  }
  S.textsMade = i;
  return i === count;
}

// Decodes the chunk's records until the slice is over; true when the chunk is done.
function decodeRecords(S, slice) {
  const a = S.a;
  const end = a.length;
  const D = S.D;
  let room = slice.room(CHECK_RECORDS);
  let taken = 0;
  while (true) {
    if (S.list !== null) {
      // A long list, an element at a time.
      const list = S.list;
      let i = S.listNext;
      while (i < list.length) {
        list[i++] = D[a[S.p]](S);
        if (++taken === room) {
          if (slice.spend(taken) && (i < list.length || S.p < end)) {
            S.listNext = i;
            return false;
          }
          taken = 0;
          room = slice.room(CHECK_RECORDS);
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
    if (++taken === room) {
      if (slice.spend(taken) && S.p < end) return false;
      taken = 0;
      room = slice.room(CHECK_RECORDS);
    }
  }
  if (taken > 0) slice.spend(taken);
  return true;
}

/**
 * Decodes for one slice: the result once everything is decoded; null when every chunk fed so far
 * is decoded and more are to come; else undefined (the slice is over, and there is more to do).
 */
function step(S) {
  const slice = new Slice(S.units);
  while (true) {
    if (S.begun) {
      if (S.textsMade < S.textCount &&
          (!makeTexts(S, slice) || (slice.left <= 0 && S.a.length > 0))) {
        return undefined;
      }
      if (!decodeRecords(S, slice)) return undefined;
      S.begun = false;
      S.consumed++;
      S.a = NO_WORDS;
      S.view = NO_BYTES;
      S.bytes = null;
      S.latin = null;
    }
    if (S.queueNext < S.queue.length) {
      if (S.consumed > 0 && slice.over()) return undefined;
      begin(S);
      continue;
    }
    if (!S.last) return null;
    S.queue = [];
    S.nodes.length = S.nodeNext;
    S.diagnostics.length = S.diagnosticNext;
    return { optimize: S.optimize, nodes: S.nodes, diagnostics: S.diagnostics };
  }
}

// Calls `resume(ticket)` in a later turn of the event loop (src/addon/later.h).
function later(resume, ticket) {
  immediate(resume, ticket);
}

const FORMAT = { records: { NODE_RECORD, LIST_RECORD, DIAGNOSTIC_RECORD }, kinds: KINDS };

module.exports = { start, feed, step, later, FORMAT };
