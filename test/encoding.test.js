'use strict';
// The compact encoding is written by the C++ writer, read by the layout decoders the addon
// generates, and read by lib/decode.js; its value kinds and record tags are declared in
// lib/decode.js and numbered the same way by the writer. This reads the three and checks that
// they agree, so that a kind added, removed or moved in one place fails here rather than as a
// wrong result.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { FORMAT } = require('../lib/decode.js');

const read = (file) => fs.readFileSync(path.join(__dirname, '..', file), 'utf8');
const WRITER = read('src/syntax/compact_writer.h');
const GENERATOR = read('src/addon/decoders.cc');
const DECODER = read('lib/decode.js');

// The constant-case name of a kind: Texts → TEXTS.
const constant = (kind) => kind.toUpperCase();

test('the writer numbers the value kinds as the decoder declares them', () => {
  const declared = WRITER.match(/enum class Kind : uint8_t \{([^}]*)\}/);
  assert.ok(declared, 'no Kind enum in the writer');
  const kinds = declared[1].split(',').map((name) => name.trim()).filter(Boolean);
  assert.deepStrictEqual(kinds, FORMAT.kinds);
});

test('the writer numbers the record tags as the decoder declares them', () => {
  const tags = {};
  for (const [, name, value] of WRITER.matchAll(/static constexpr int32_t k(\w+)Record = (\d+);/g)) {
    tags[`${constant(name)}_RECORD`] = Number(value);
  }
  assert.deepStrictEqual(tags, FORMAT.records);
});

test('the decoder generator and the interpreter read every kind, and no other', () => {
  const generated = [...GENERATOR.matchAll(/case Kind::(\w+):/g)].map((m) => m[1]);
  assert.deepStrictEqual([...new Set(generated)].sort(), [...FORMAT.kinds].sort());
  const interpreted = [...DECODER.matchAll(/^\s+case ([A-Z_]+):/gm)].map((m) => m[1]);
  assert.deepStrictEqual([...new Set(interpreted)].sort(), FORMAT.kinds.map(constant).sort());
});
