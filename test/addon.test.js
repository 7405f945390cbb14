'use strict';
// The addon boundary: exports, argument checks, rules, the keyword registry, the result object,
// concurrency and teardown while parses are in flight.
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { Worker } = require('node:worker_threads');
const os = require('node:os');
const { addon, native, RULES, WORDS, table, run, range, error } = require('./helpers');

const { parse, keywords } = addon;
const ref = () => table().reference;
const src = Buffer.from('');

test('exports exactly parse and keywords', () => {
  assert.deepEqual(Object.keys(addon).sort(), ['keywords', 'parse']);
  assert.equal(typeof addon.parse, 'function');
  assert.equal(typeof addon.keywords, 'function');
});

test('parse rejects bad arguments synchronously, first mismatch wins', () => {
  const cases = [
    [[], RangeError, 'Expected four arguments'],
    [['a', src, 0], RangeError, 'Expected four arguments'],
    [[1, src, 0, RULES], TypeError, 'Expected a target name'],
    [[new String('a'), src, 0, RULES], TypeError, 'Expected a target name'],
    [['a', 'text', '0', RULES], TypeError, 'Expected a code-buffer'],
    [['a', new ArrayBuffer(4), 0, RULES], TypeError, 'Expected a code-buffer'],
    [['a', src, '0', RULES], TypeError, 'Expected a keywords reference'],
    [['a', src, 0, null], TypeError, 'Expected some compilation rules'],
    [['a', src, 0, 'rules'], TypeError, 'Expected some compilation rules'],
  ];
  for (const [args, type, message] of cases) {
    assert.throws(() => parse(...args), (e) => e instanceof type && e.message === message, message);
  }
});

test('rules: a missing or mistyped key throws the host error of the first bad key', () => {
  const cases = [
    [{}, /boolean/i],
    [{ ...RULES, 'core.strict': 1 }, /boolean/i],
    [{ ...RULES, 'core.dialect': '1' }, /number/i],
    [{ ...RULES, 'syntax.parseBlocks': undefined }, /boolean/i],
    [{ ...RULES, 'diagnostic.limit': null }, /number/i],
  ];
  for (const [rules, message] of cases) {
    assert.throws(() => parse('a', src, ref(), rules), (e) => e instanceof TypeError && message.test(e.message));
  }
});

test('rules: extra and inherited keys, a function object as rules', async () => {
  const inherited = Object.create({ ...RULES });
  inherited.extra = 'ignored';
  const fn = Object.assign(() => {}, RULES);
  for (const rules of [inherited, fn]) {
    assert.deepEqual(await parse('a', src, ref(), rules), { optimize: 0, nodes: [], diagnostics: [] });
  }
});

test('diagnostic limit cuts only the reported list', async () => {
  const five = ',\n,\n,\n,\n,\n';
  const all = [0, 1, 2, 3, 4].map((line) => error(1001, range(line, 0, 1)));
  const cases = [
    [0, all],
    [3, all.slice(0, 3)],
    [2.7, all.slice(0, 2)],
    [-1, all], // wraps to 4294967295
    [10, all],
  ];
  for (const [limit, expected] of cases) {
    const result = await run(five, { rules: { 'diagnostic.limit': limit } });
    assert.deepEqual(result, { optimize: 0, nodes: [], diagnostics: expected }, `limit ${limit}`);
  }
});

test('source bytes are taken from any typed array view, byte for byte', async () => {
  const text = Buffer.from(',\n');
  const u16 = new Uint16Array(text.buffer.slice(text.byteOffset, text.byteOffset + 2));
  const expected = { optimize: 0, nodes: [], diagnostics: [error(1001, range(0, 0, 1))] };
  assert.deepEqual(await parse('a', text, ref(), RULES), expected);
  assert.deepEqual(await parse('a', u16, ref(), RULES), expected);
  // A view into the middle of a larger buffer sees only its own bytes.
  const big = Buffer.from('$$$,\n$$$');
  assert.deepEqual(await parse('a', big.subarray(3, 5), ref(), RULES), expected);
});

test('the caller may reuse the buffer at once: bytes were copied', async () => {
  const buffer = Buffer.from(',\n');
  const pending = parse('a', buffer, ref(), RULES);
  buffer.fill(0x20);
  assert.deepEqual((await pending).diagnostics, [error(1001, range(0, 0, 1))]);
});

test('the reference is truncated to a 32-bit integer; fifth argument ignored', async () => {
  const kw = keywords(WORDS, false);
  const result = await parse('a', Buffer.from(','), kw.reference + 0.9, RULES, 'extra');
  assert.deepEqual(result.diagnostics, [error(1001, range(0, 0, 1))]);
  kw.dispose();
});

test('keywords rejects bad arguments', () => {
  const cases = [
    [[], RangeError, 'Expected two arguments'],
    [[{}], RangeError, 'Expected two arguments'],
    [[null, true], TypeError, 'Expected a keywords object'],
    [['words', true], TypeError, 'Expected a keywords object'],
    [[{}, 1], TypeError, 'Expected a strictness flag'],
  ];
  for (const [args, type, message] of cases) {
    assert.throws(() => keywords(...args), (e) => e instanceof type && e.message === message, message);
  }
  assert.throws(() => keywords({ instructions: 'MOV' }, true), /array/i);
  assert.throws(() => keywords({ instructions: ['MOV', 5] }, true), /string/i);
});

test('Keywords instances: numbers, attributes and dispose', async () => {
  const a = keywords({}, true);
  const b = keywords(() => {}, false);
  assert.equal(b.reference, a.reference + 1);
  assert.ok(Number.isInteger(a.reference) && a.reference >= 0);
  assert.equal(a.constructor.name, 'Keywords');
  assert.deepEqual(Object.keys(a), []);
  const proto = Object.getPrototypeOf(a);
  const reference = Object.getOwnPropertyDescriptor(proto, 'reference');
  assert.equal(typeof reference.get, 'function');
  assert.equal(reference.set, undefined);
  assert.equal(reference.enumerable, false);
  assert.equal(reference.configurable, false);
  const dispose = Object.getOwnPropertyDescriptor(proto, 'dispose');
  assert.deepEqual([dispose.writable, dispose.enumerable, dispose.configurable], [true, false, true]);

  assert.equal(a.dispose(), undefined);
  assert.equal(a.dispose(), undefined); // twice is harmless
  assert.equal(a.reference, b.reference - 1); // still readable
  assert.throws(() => parse('a', src, a.reference, RULES), (e) => /unknown/i.test(e.message));
  assert.throws(() => parse('a', src, -1, RULES), (e) => /unknown/i.test(e.message));
  assert.deepEqual(await parse('a', src, b.reference, RULES), { optimize: 0, nodes: [], diagnostics: [] });
  b.dispose();
});

test('a disposed table stays alive for the parses already started', async () => {
  const kw = keywords(WORDS, false);
  const source = Buffer.from(',\n'.repeat(2000));
  const before = parse('a', source, kw.reference, RULES);
  kw.dispose();
  const result = await before;
  assert.equal(result.diagnostics.length, 2000);
});

test('tables disposed and their memory reused before the parses read them: results unchanged', {
  skip: process.platform === 'win32' && 'holds the pool with a named pipe (mkfifo)',
}, () => {
  // One pool thread, held until the tables are gone, so that no parse has read its table before.
  const child = spawnSync(process.execPath, [path.join(__dirname, 'fixtures', 'disposed-table.js')], {
    encoding: 'utf8',
    env: { ...process.env, UV_THREADPOOL_SIZE: '1' },
  });
  assert.equal(child.status, 0, child.stderr);
  assert.deepStrictEqual(JSON.parse(child.stdout), { equal: 20, tablesDiffer: true });
});

test('garbage collection releases a table', { skip: typeof gc !== 'function' }, async () => {
  let kw = keywords(WORDS, false);
  const number = kw.reference;
  kw = null;
  for (let i = 0; i < 20; i++) {
    gc();
    await new Promise((resolve) => setImmediate(resolve));
    try {
      parse('a', src, number, RULES);
    } catch (e) {
      assert.match(e.message, /unknown/i);
      return;
    }
  }
  assert.fail('the collected table was never released');
});

test('many parses in flight settle each with its own result', async () => {
  const sources = Array.from({ length: 200 }, (_, i) => ',\n'.repeat(i % 17));
  const results = await Promise.all(sources.map((s) => run(s)));
  results.forEach((result, i) => assert.equal(result.diagnostics.length, i % 17));
});

// Parses run on as many cores as the decoding leaves free; the others wait for a slot on their
// pool threads. However many are in flight, no more run at once, and each settles with its own
// result. (Whether parses overlap at all depends on the threads' timing: the counts are bounds.)
test('no more parses run at once than there are slots, and each settles with its own result', async () => {
  const sources = Array.from({ length: 12 }, (_, i) => Buffer.from(`${'  NOP 1\n'.repeat(20000)}${',\n'.repeat(i)}`));
  for (const slots of [1, 2, 0]) {
    native.testing({ parseSlots: slots });
    native.testing();
    try {
      const results = await Promise.all(sources.map((source) => run(source)));
      results.forEach((result, i) => {
        assert.equal(result.nodes.length, 20000);
        assert.equal(result.diagnostics.length, i);
      });
      const most = native.testing().mostParsesAtOnce;
      assert.ok(most >= 1 && most <= (slots || Math.max(1, os.availableParallelism() - 1)), `${most} parses at once with ${slots} slots`);
    } finally {
      native.testing({ parseSlots: 0 });
    }
  }
});

test('the module works from two worker threads at once', async () => {
  const script = `
    const { parentPort, workerData } = require('node:worker_threads');
    const { parse, keywords } = require(${JSON.stringify(path.join(__dirname, '..'))});
    (async () => {
      const counts = [];
      for (let i = 0; i < 30; i++) {
        const kw = keywords({ instructions: ['NOP'] }, i % 2 === 0);
        const r = await parse('w', Buffer.from(',\\n'.repeat(workerData + i)), kw.reference, ${JSON.stringify(RULES)});
        counts.push(r.diagnostics.length);
        kw.dispose();
      }
      parentPort.postMessage(counts);
    })();`;
  const runWorker = (n) =>
    new Promise((resolve, reject) => {
      const worker = new Worker(script, { eval: true, workerData: n });
      worker.once('message', resolve);
      worker.once('error', reject);
    });
  const [a, b] = await Promise.all([runWorker(5), runWorker(100)]);
  assert.deepEqual(a, Array.from({ length: 30 }, (_, i) => 5 + i));
  assert.deepEqual(b, Array.from({ length: 30 }, (_, i) => 100 + i));
});

// Fewer rounds against the sanitizer build, which is many times slower.
const ROUNDS = process.env.VEXA_ADDON ? 10 : 25;

test('terminating workers at every point of a large parse stops each, never aborts, and leaks nothing', () => {
  // Leak reports are on: every worker is terminated before the process ends on its own. Only the
  // host's bookkeeping of the promises that their environments took along is let pass.
  const suppressions = path.join(__dirname, 'fixtures', 'teardown.supp');
  const child = spawnSync(process.execPath, [path.join(__dirname, 'fixtures', 'terminate.js'), `${ROUNDS}`], {
    encoding: 'utf8',
    // Only a hang fails this way: each worker ends at an event of its parse.
    timeout: 600000,
    env: { ...process.env, LSAN_OPTIONS: `suppressions=${suppressions}:print_suppressions=0` },
  });
  assert.equal(child.signal, null, child.stderr);
  assert.equal(child.status, 0, child.stderr);
  const { rounds, stoppedEarly } = JSON.parse(child.stdout);
  assert.equal(rounds, ROUNDS);
  // Every fifth round holds its parse until the environment goes away: it must stop early.
  assert.ok(stoppedEarly >= Math.floor(ROUNDS / 5), `${stoppedEarly} parses stopped early`);
});

test('exiting the process while parses are in flight and converting never aborts', () => {
  const child = spawnSync(
    process.execPath, [path.join(__dirname, 'fixtures', 'exit-converting.js')], {
      encoding: 'utf8',
      timeout: 600000,
      // process.exit leaves the engine's own memory (a running worker's heap, the unsettled
      // promises' bookkeeping) unfreed by design: leak reports from this child say nothing of the
      // addon.
      env: { ...process.env, ASAN_OPTIONS: `${process.env.ASAN_OPTIONS ?? ''}:detect_leaks=0` },
    });
  assert.equal(child.signal, null, child.stderr);
  assert.equal(child.status, 0, child.stderr);
});
