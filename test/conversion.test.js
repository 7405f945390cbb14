'use strict';
// Turning a parse result into JavaScript objects: a result of many conversion chunks (nodes are
// converted 2,048 at a time, each chunk in its own handle scope, with cached handles dropped
// between chunks) compared node by node with nodes built here, and the conversion in processes
// where compiling code from strings is forbidden or where globalThis.Function is not the real one.
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { isDeepStrictEqual } = require('node:util');
const { run, range, error, warning, withTesting, slicesSince, countsPerTurn, assertOnePerTurn, countTexts } = require('./helpers');

const LINES = 5000;

// The operand kinds in turn, so that every chunk meets each kind and each optional property.
// Identifiers repeat across chunks: a name interned in one chunk is met again in the next.
const OPERANDS = [
  (i) => [`X${i % 37}`, { type: 19, identifier: `X${i % 37}` }],
  (i) => [`#F${i % 5}`, { type: 19, identifier: `F${i % 5}`, fixed: true }],
  (i) => [`${i}`, { type: 20, value: i, buffer: `${i}` }],
  (i) => [`-${i + 1}`, { type: 20, value: -(i + 1), buffer: `-${i + 1}` }],
  (i) => [`'0${i.toString(16).toUpperCase()}`, { type: 20, value: i, buffer: `'0${i.toString(16).toUpperCase()}` }],
  (i) => [`#${i % 200}`, { type: 20, value: i % 200, buffer: `${i % 200}`, fixed: true }],
  (i) => [`${i}.5`, { type: 21, value: i + 0.5, buffer: `${i}.5` }],
  (i) => [`"s${i}"`, { type: 22, value: `s${i}` }],
];
const MNEMONICS = ['MOV', 'NOP', 'JMP', 'mov'];
// [prefix, precode, extended, column of the precode that draws warning 1604 or null]
const PRECODES = [
  ['', 0, false, null],
  ['NOJ: ', 239, false, null],
  ['REX: ', 237, true, null],
  ['IASJ: ', 238, false, null],
  ['', 0, false, null],
  ['NOJ: NOJ: ', 239, false, 7],
];

// Line i of the source and what it must give: a node, or for every 50th line a bad operand that
// drops the line with error 2005, plus any precode warning.
function line(i, file) {
  const diagnostics = [];
  if (i % 50 === 49) {
    return { text: '  MOV =x', node: null, diagnostics: [error(2005, range(i, 6, 8))] };
  }
  const [prefix, precode, extended, warnAt] = PRECODES[i % PRECODES.length];
  if (warnAt !== null) diagnostics.push(warning(1604, range(i, warnAt, warnAt + 3)));
  const name = MNEMONICS[i % MNEMONICS.length];
  let text = `  ${prefix}${name}`;
  const at = range(i, text.length - name.length, text.length);
  const operands = [];
  for (let j = 0; j < (i >> 2) % 4; j++) {
    const [operand, props] = OPERANDS[(i * 3 + j) % OPERANDS.length](i);
    text += j === 0 ? ' ' : ', ';
    const { type, ...rest } = props;
    operands.push(node(range(i, text.length, text.length + operand.length), type, rest, file));
    text += operand;
  }
  const props = { ...(extended ? { extended } : {}), name, precode, operands };
  return { text, node: node(at, 16, props, file), diagnostics };
}

function node(at, type, props, file) {
  return { range: at, type, ...(file === '<anonymous>' ? {} : { filePath: file }), ...props };
}

function generate(file, count = LINES) {
  const lines = Array.from({ length: count }, (_, i) => line(i, file));
  return {
    source: lines.map((l) => l.text + '\n').join(''),
    expected: {
      optimize: 0,
      nodes: lines.filter((l) => l.node).map((l) => l.node),
      diagnostics: lines.flatMap((l) => l.diagnostics),
    },
  };
}

test('a result of several conversion chunks equals the nodes built here, node by node', async () => {
  for (const file of ['big.vx', '<anonymous>']) {
    const { source, expected } = generate(file);
    const result = await run(source, { name: file });
    const length = Math.max(result.nodes.length, expected.nodes.length);
    for (let i = 0; i < length; i++) {
      if (!isDeepStrictEqual(result.nodes[i], expected.nodes[i])) {
        assert.deepStrictEqual(result.nodes[i], expected.nodes[i], `${file}: node ${i} of ${length}`);
      }
    }
    assert.deepStrictEqual(result, expected, file);
    // Equal values; equal text holds only if the properties also come in the same order.
    assert.equal(JSON.stringify(result), JSON.stringify(expected), `${file}: property order`);
  }
});

// The worker hands the encoding over in chunks while it still parses, and the decoding starts
// with the first: chunks of any size, each cut where a top-level record ends, give the same
// result, whatever the slice budget (a long list's record is never cut: it belongs to one
// top-level node).
test('a result handed over in chunks of any size equals the nodes built here', async () => {
  const { source, expected } = generate('chunks.vx', 3000);
  const block = `#IF EQ(A, 1)\n${'  NOP 1\n'.repeat(3000)}#ENDIF\n`;
  const whole = await run(block, { name: 'chunks.vx' });
  const CASES = [
    // [words per chunk, units per slice]
    [1, 0], [1, 3], [7, 0], [100, 50], [4096, 0], [4096, 1000],
  ];
  for (const [chunkWords, decodeUnits] of CASES) {
    await withTesting({ chunkWords, decodeUnits }, async () => {
      const result = await run(source, { name: 'chunks.vx' });
      assert.ok(isDeepStrictEqual(result, expected), `chunks of ${chunkWords} words, ${decodeUnits} units`);
      assert.equal(JSON.stringify(result), JSON.stringify(expected), 'property order');
      const blocks = await run(block + source, { name: 'chunks.vx' });
      assert.ok(isDeepStrictEqual(blocks.nodes[0], whole.nodes[0]), `the block, chunks of ${chunkWords} words`);
      assert.equal(blocks.nodes.length, expected.nodes.length + 1);
    });
  }
});

// Texts are found again by their bytes where they are short and by a hash where they are long:
// texts of one size that differ in a single byte, met again and again, in chunks of any size,
// each come out as written.
test('texts that differ in one byte stay apart, whatever the chunks', async () => {
  const texts = [];
  for (let size = 0; size <= 20; size++) {
    const base = 'abcdefghijklmnopqrstu'.slice(0, size);
    texts.push(base);
    for (let at = 0; at < size; at++) texts.push(`${base.slice(0, at)}X${base.slice(at + 1)}`);
  }
  const expected = [];
  for (let round = 0; round < 3; round++) {
    for (let i = 0; i < texts.length; i += 2) expected.push([texts[i], texts[(i + 1) % texts.length]]);
  }
  const source = expected.map(([a, b]) => `  MOV "${a}", "${b}"\n`).join('');
  for (const chunkWords of [1, 64, 2 ** 40]) {
    await withTesting({ chunkWords }, async () => {
      const { nodes } = await run(source, { name: 'a file path longer than eight bytes.vx' });
      const values = nodes.map((node) => node.operands.map((operand) => operand.value));
      assert.deepStrictEqual(values, expected, `chunks of ${chunkWords} words`);
      assert.ok(nodes.every((node) => node.filePath === 'a file path longer than eight bytes.vx'));
    });
  }
});

// A limit passed after chunks were handed over refuses the whole result: nothing decoded from the
// earlier chunks comes out.
test('a limit passed after chunks were handed over rejects the parse', async () => {
  const { source } = generate('chunks.vx', 3000);
  await withTesting({ chunkWords: 16, textBytes: 2000 }, async () => {
    await assert.rejects(run(source), { message: /the texts of the result take more than 2000 bytes/ });
  });
  await withTesting({ chunkWords: 16, listCount: 2000 }, async () => {
    await assert.rejects(run(source), { message: /a list of more than 2000 elements/ });
  });
  // And the next parse is whole again.
  assert.deepStrictEqual(await run('  NOP 1\n'), await run('  NOP 1\n'));
});

// Texts met again soon share one string (every node's file path, the mnemonics), and none is
// missing: at least one string per distinct text, far fewer than the strings of the result.
function assertTextsShared(made, expected) {
  const { distinct, all } = countTexts(expected);
  assert.ok(made >= distinct.size && made * 4 < all, `${made} texts for ${distinct.size} distinct of ${all} strings`);
}

test('a large result is converted over exactly as many slices as its budget says, other callbacks running between', async () => {
  const { source, expected } = generate('sliced.vx', 12 * LINES);
  const budget = 4096;
  // Hopping between slices must not go through anything a script can replace.
  const saved = globalThis.setImmediate;
  const { setImmediate: immediate } = require('node:timers');
  let observed;
  await withTesting({ decodeUnits: budget }, async (before) => {
    globalThis.setImmediate = () => assert.fail('the conversion used the global setImmediate');
    try {
      observed = await countsPerTurn(run(source, { name: 'sliced.vx' }), immediate);
    } finally {
      globalThis.setImmediate = saved;
    }
    // Texts made plus records decoded: every node and diagnostic is a record of its own here.
    const { decode, texts } = slicesSince(before);
    const units = texts + expected.nodes.length + expected.diagnostics.length;
    assertTextsShared(texts, expected);
    assert.equal(decode, Math.ceil(units / budget));
    assertOnePerTurn(observed.seen, 'decodeSlices', before, Math.ceil(units / budget));
  });
  const result = observed.value;
  assert.equal(result.nodes.length, expected.nodes.length);
  for (let i = 0; i < result.nodes.length; i++) {
    if (!isDeepStrictEqual(result.nodes[i], expected.nodes[i])) {
      assert.deepStrictEqual(result.nodes[i], expected.nodes[i], `node ${i}`);
    }
  }
  assert.deepStrictEqual(result.diagnostics, expected.diagnostics);
  assert.equal(JSON.stringify(result), JSON.stringify(expected), 'property order');
});

// One block of many statements is a single top-level node: its long lists (a clause's statements,
// a nested block's, the alternative) are converted ahead in slices of their own.
test('a block of thousands of statements is converted over several turns and equals the nodes built here', async () => {
  const K = 6000;
  const file = 'block.vx';
  const texts = [];
  const diagnostics = [];
  // Statement lines i = from .. to - 1, as line i of the source.
  const statements = (from, to) => {
    const nodes = [];
    for (let i = from; i < to; i++) {
      const { text, node: built, diagnostics: found } = line(i, file);
      texts[i] = text;
      if (built) nodes.push(built);
      diagnostics.push(...found);
    }
    return nodes;
  };
  const name = (at, identifier) => node(at, 19, { identifier }, file);
  texts[0] = '#IF EQ(A, B)';
  const outer = statements(1, K + 1);
  texts[K + 1] = '  #IF NE(A, 1)';
  const inner = statements(K + 2, 2 * K + 2);
  texts[2 * K + 2] = '  #ENDIF';
  texts[2 * K + 3] = '#ELSE';
  const alternative = statements(2 * K + 4, 3 * K + 4);
  texts[3 * K + 4] = '#ENDIF';
  const nested = node(range(K + 1, 2, 5), 15, {
    clauses: [node(range(K + 1, 6, 8), 16, {
      left: name(range(K + 1, 9, 10), 'A'),
      right: node(range(K + 1, 12, 13), 20, { value: 1, buffer: '1' }, file),
      comparator: 1,
      subsequence: inner,
    }, file)],
    alternative: [],
  }, file);
  const block = node(range(0, 0, 2 * K + 3, 5), 15, {
    clauses: [node(range(0, 4, 6), 16, {
      left: name(range(0, 7, 8), 'A'),
      right: name(range(0, 10, 11), 'B'),
      comparator: 0,
      subsequence: [...outer, nested],
    }, file)],
    alternative,
  }, file);
  const expected = { optimize: 0, nodes: [block], diagnostics };

  const budget = 1000;
  const result = await withTesting({ decodeUnits: budget }, async (before) => {
    const { value, seen } = await countsPerTurn(run(texts.join('\n') + '\n', { name: file }));
    // Texts, the one top-level node and the diagnostics, and the elements of the three long
    // lists, each built a slice at a time.
    const made = slicesSince(before).texts;
    const units = made + 1 + diagnostics.length + outer.length + 1 + inner.length + alternative.length;
    assertTextsShared(made, expected);
    assert.equal(slicesSince(before).decode, Math.ceil(units / budget));
    assertOnePerTurn(seen, 'decodeSlices', before, Math.ceil(units / budget));
    return value;
  });
  const [clause] = result.nodes[0].clauses;
  for (const [actual, wanted, what] of [
    [clause.subsequence, block.clauses[0].subsequence, 'outer statements'],
    [clause.subsequence[K - K / 50]?.clauses?.[0]?.subsequence, inner, 'nested statements'],
    [result.nodes[0].alternative, alternative, 'alternative'],
  ]) {
    assert.ok(Array.isArray(actual), `${what}: no list`);
    for (let i = 0; i < Math.max(actual.length, wanted.length); i++) {
      if (!isDeepStrictEqual(actual[i], wanted[i])) {
        assert.deepStrictEqual(actual[i], wanted[i], `${what}: element ${i}`);
      }
    }
  }
  assert.deepStrictEqual(result, expected);
  assert.equal(JSON.stringify(result), JSON.stringify(expected), 'property order');
});

// Every element of a list used to travel as one argument of one call: a block of this many
// statements overflowed the engine's stack and the parse was rejected.
test('a block of 150,000 statements resolves with every statement', async () => {
  const count = 150000;
  const source = `#IF EQ(A, B)\n${'  NOP 7\n'.repeat(count)}#ENDIF\n`;
  const result = await run(source);
  assert.deepStrictEqual(result.diagnostics, []);
  assert.equal(result.nodes.length, 1);
  const { subsequence } = result.nodes[0].clauses[0];
  assert.equal(subsequence.length, count);
  for (const i of [0, count >> 1, count - 1]) {
    assert.deepStrictEqual(subsequence[i], node(range(i + 1, 2, 5), 16, {
      name: 'NOP',
      precode: 0,
      operands: [node(range(i + 1, 6, 7), 20, { value: 7, buffer: '7' }, 't.vx')],
    }, 't.vx'), `statement ${i}`);
  }
});

// A source whose result holds every node shape and a diagnostic with arguments, over many chunks.
const SOURCE = ';<main> tag\n;<=x>  NOP 1\n$\n' + generate('t.vx').source;
const FIXTURE = path.join(__dirname, 'fixtures', 'conversion.js');

function child(flags, args, input = SOURCE, env = {}) {
  const out = spawnSync(process.execPath, [...flags, FIXTURE, ...args], {
    input,
    env: { ...process.env, ...env },
    encoding: 'utf8',
    timeout: 60000,
    maxBuffer: 256 * 1024 * 1024,
  });
  assert.equal(out.error, undefined, `child failed to run or timed out: ${out.error}`);
  assert.equal(out.signal, null, out.stderr);
  assert.equal(out.status, 0, out.stderr);
  return JSON.parse(out.stdout);
}

test('without code generation from strings the result is the same', async () => {
    const expected = JSON.stringify(await run(SOURCE));
    const { result } = child(['--disallow-code-generation-from-strings'], []);
    assert.equal(JSON.stringify(result), expected);
  });

test('a replaced globalThis.Function is never called and changes nothing', async () => {
    const expected = JSON.stringify(await run(SOURCE));
    const { result, calls } = child([], ['spy']);
    assert.equal(JSON.stringify(result), expected);
    assert.equal(calls, 0, 'the conversion called globalThis.Function');
  });

test('with the layouts interpreted instead of compiled the result is the same', async () => {
  // Every value kind: negative zero, integers past 32 bits, texts that are not ASCII.
  const source = Buffer.concat([
    Buffer.from(SOURCE),
    Buffer.from('  NOP -0.0e0, 99999999999, -2147483649, "a\xff\xfeb", "\xc3\xa9"\n', 'latin1'),
  ]);
  const keepZero = (key, value) => (Object.is(value, -0) ? '-0' : value);
  const expected = JSON.stringify(await run(source), keepZero);
  assert.match(expected, /"-0"/);
  const compiledRun = child([], [], source);
  assert.ok(compiledRun.compiled > 0, 'the ordinary run compiled no layout decoder');
  assert.equal(JSON.stringify(compiledRun.result), expected);
  const interpreted = child([], ['interpret'], source);
  assert.equal(interpreted.compiled, 0, 'a layout decoder was compiled although refused');
  assert.equal(JSON.stringify(interpreted.result), expected);
  // Layouts first met in later chunks are interpreted too.
  const chunked = child([], ['interpret'], source, { VEXA_FIXTURE_CHUNK_WORDS: '5' });
  assert.equal(JSON.stringify(chunked.result), expected);
});
