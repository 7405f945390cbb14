'use strict';
// Shared test plumbing: default keyword lists and rules, a one-call parse, and builders for the
// expected ranges and diagnostics so that tables stay readable.
const path = require('node:path');
const { compilerEnv } = require('./compiler-env.js');
const assert = require('node:assert/strict');
const addon = require('..');

// The native module index.js loaded (the same instance: modules load once per environment), for
// its test hook `testing` (src/addon/instance_data.h), which the package does not export.
const native = require(process.env.VEXA_ADDON
  ? path.resolve(process.env.VEXA_ADDON)
  : path.join(__dirname, '..', 'build', 'Release', 'vexa.node'));

// Runs `body` with the test settings `settings` (slice budgets, lowered limits), then restores
// the ordinary ones; `body` gets the slice counts as they were before it ran.
async function withTesting(settings, body) {
  const zero = { copyBytes: 0, decodeUnits: 0, textBytes: 0, textSize: 0, listCount: 0, chunkWords: 0, holdParse: false };
  // A result handed over in several chunks may also end a slice where the decoding waits for the
  // next chunk, which depends on the threads' timing: slices are counted exactly for results in
  // one chunk, unless a test asks for chunks.
  const whole = settings.decodeUnits ? { chunkWords: 2 ** 40 } : {};
  const before = native.testing({ ...zero, ...whole, ...settings });
  try {
    return await body(before);
  } finally {
    native.testing(zero);
  }
}

// The slices run since `before` (a state returned by native.testing).
function slicesSince(before) {
  const now = native.testing();
  return {
    copy: now.copySlices - before.copySlices,
    decode: now.decodeSlices - before.decodeSlices,
    texts: now.texts - before.texts,
  };
}

const WORDS = {
  instructions: ['MOV', 'NOP', 'JMP'],
  precodes: ['NOJ', 'REX', 'IASJ', 'FOO'],
  directives: ['EQU'],
  commands: ['#HMI'],
};

const RULES = {
  'core.strict': false,
  'core.dialect': 0,
  'syntax.parseBlocks': true,
  'diagnostic.limit': 0,
};

const tables = new Map();
function table(words = WORDS, strict = false) {
  const key = JSON.stringify([words, strict]);
  if (!tables.has(key)) tables.set(key, addon.keywords(words, strict));
  return tables.get(key);
}

// Parses `source` (a string or a Buffer) and returns the whole result object.
function run(source, { name = 't.vx', words = WORDS, strict = false, rules = {} } = {}) {
  const buffer = Buffer.isBuffer(source) ? source : Buffer.from(source);
  return addon.parse(name, buffer, table(words, strict).reference, { ...RULES, ...rules });
}

// Reads the test settings and slice counts at every turn of the event loop until `done` settles:
// an immediate that queues itself runs once per turn, as a slice's hop does, so between any two
// slices of a job it runs at least once.
async function countsPerTurn(done, immediate = setImmediate) {
  const seen = [];
  let over = false;
  const watch = () => {
    seen.push(native.testing());
    if (!over) immediate(watch);
  };
  immediate(watch);
  try {
    const value = await done;
    seen.push(native.testing());
    return { value, seen };
  } finally {
    over = true;
  }
}

// Checks that `seen` (from countsPerTurn) went up by at most one slice of `kind` ("copySlices" or
// "decodeSlices") from one turn to the next, and took every value from 1 to `count` after `before`.
function assertOnePerTurn(seen, kind, before, count) {
  const counts = seen.map((state) => state[kind] - before[kind]);
  for (let i = 1; i < counts.length; i++) {
    if (counts[i] - counts[i - 1] > 1) assert.fail(`two ${kind} in one turn: ${counts[i - 1]} then ${counts[i]}`);
  }
  const values = [...new Set(counts)].filter((n) => n > 0);
  assert.deepStrictEqual(values, Array.from({ length: count }, (_, i) => i + 1));
}

// The distinct strings among the values in `value`, and how many strings it holds in all.
function countTexts(value, found = { distinct: new Set(), all: 0 }) {
  if (typeof value === 'string') {
    found.distinct.add(value);
    found.all++;
  } else if (value !== null && typeof value === 'object') {
    for (const v of Object.values(value)) countTexts(v, found);
  }
  return found;
}

// range(line, start, end) on one line, or range(l1, c1, l2, c2).
function range(...n) {
  if (n.length === 3) n = [n[0], n[1], n[0], n[2]];
  return { start: { line: n[0], character: n[1] }, end: { line: n[2], character: n[3] } };
}

function error(code, where, args) {
  return { code: `VEXA${code}`, severity: 1, ...(args ? { args } : {}), range: where };
}

function warning(code, where, args) {
  return { code: `VEXA${code}`, severity: 2, ...(args ? { args } : {}), range: where };
}

module.exports = { addon, native, withTesting, slicesSince, countsPerTurn, assertOnePerTurn, countTexts, WORDS, RULES, table, run, range, error, warning, compilerEnv };
