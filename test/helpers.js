'use strict';
// Shared test plumbing: default keyword lists and rules, a one-call parse, and builders for the
// expected ranges and diagnostics so that tables stay readable.
const addon = require('..');

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

// The environment for the TypeScript compiler, which loads no addon: without the sanitizer
// runtime that the sanitizer run preloads into every process (it would only slow the compiler
// down and report the engine's own allocations at exit).
function compilerEnv() {
  const env = { ...process.env };
  for (const name of ['LD_PRELOAD', 'ASAN_OPTIONS', 'UBSAN_OPTIONS', 'LSAN_OPTIONS']) delete env[name];
  return env;
}

module.exports = { addon, WORDS, RULES, table, run, range, error, warning, compilerEnv };
