'use strict';
// Properties that every parse result must have, whatever the source: checked through the real
// addon on generated sources (arbitrary bytes and strings, lines built from the language's line
// kinds, and mutated golden sources), under every combination of rules and keyword strictness.
//
//   - every range (of a node, a nested node or a diagnostic) is ordered and lies inside the source;
//   - parsing the same source twice gives deep-equal results;
//   - the result survives JSON unchanged, except that a -0 comes back as 0: JSON has one zero,
//     so that is what a consumer of the JSON form sees, and the comparison maps -0 to 0 first.
//     Every other number must be finite (NaN and the infinities would come back as null);
//   - a parse on a worker thread gives the same result as one on the main thread.
//
// VEXA_PROPERTY_RUNS sets the number of runs per property (a modest default keeps `npm test`
// quick). The seed is printed with the results: VEXA_PROPERTY_SEED when set; a fixed one when CI is
// set, so that a submission passes or fails on its code alone and not on the draw; a fresh one
// otherwise, so that runs on developers' machines keep exploring. A failure prints the seed and
// path and the command that replays it: VEXA_PROPERTY_SOURCE names the kind of source,
// VEXA_PROPERTY_SEED and VEXA_PROPERTY_PATH the failing case.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { Worker } = require('node:worker_threads');
const fc = require('fast-check');
const { addon, RULES } = require('./helpers');
const { KEYWORDS } = require('../bench/generate.js');
const { checkRanges } = require('./invariants');

const RUNS = Number(process.env.VEXA_PROPERTY_RUNS || 400);
const CI_SEED = 17;
const SEED = chooseSeed(process.env, () => Math.floor(Math.random() * 0x7fffffff));
const PATH = process.env.VEXA_PROPERTY_PATH;
const ONLY = process.env.VEXA_PROPERTY_SOURCE;

const WORDS = { ...KEYWORDS, commands: [...KEYWORDS.commands, '#HMI'] };
const tables = [addon.keywords(WORDS, false), addon.keywords(WORDS, true)];

// The seed for this run, by the rules above; `draw` gives a fresh one.
function chooseSeed(env, draw) {
  if (env.VEXA_PROPERTY_SEED !== undefined && env.VEXA_PROPERTY_SEED !== '') {
    const seed = Number(env.VEXA_PROPERTY_SEED);
    assert.ok(Number.isInteger(seed), `VEXA_PROPERTY_SEED is no integer: ${env.VEXA_PROPERTY_SEED}`);
    return seed;
  }
  if (env.CI !== undefined && env.CI !== '' && env.CI !== 'false' && env.CI !== '0') return CI_SEED;
  return draw();
}

// ---- The checks ---------------------------------------------------------------------------------

// The result with every -0 as 0, and a check that no number is NaN or infinite.
function jsonNormal(value) {
  if (typeof value === 'number') {
    assert.ok(Number.isFinite(value), `a number JSON cannot carry: ${value}`);
    return value === 0 ? 0 : value;
  }
  if (Array.isArray(value)) return value.map(jsonNormal);
  if (value !== null && typeof value === 'object') {
    return Object.fromEntries(Object.entries(value).map(([k, v]) => [k, jsonNormal(v)]));
  }
  return value;
}

// One worker for the whole file: it parses what it is sent with tables of its own built from the
// same words, and posts the result back (structured cloning keeps -0 and every other value).
const WORKER = `
const { parentPort, workerData } = require('node:worker_threads');
const addon = require(workerData.addon);
const tables = [addon.keywords(workerData.words, false), addon.keywords(workerData.words, true)];
parentPort.on('message', async ({ id, bytes, strictTable, rules }) => {
  const result = await addon.parse('p.vx', Buffer.from(bytes), tables[strictTable ? 1 : 0].reference, rules);
  parentPort.postMessage({ id, result });
});
`;

let worker;
let nextId = 0;
const waiting = new Map();
function startWorker() {
  worker = new Worker(WORKER, {
    eval: true,
    workerData: { addon: path.resolve(__dirname, '..'), words: WORDS },
  });
  worker.on('message', ({ id, result }) => {
    waiting.get(id).resolve(result);
    waiting.delete(id);
  });
  worker.on('error', (error) => {
    for (const { reject } of waiting.values()) reject(error);
    waiting.clear();
  });
}
function parseInWorker(bytes, options) {
  const id = nextId++;
  return new Promise((resolve, reject) => {
    waiting.set(id, { resolve, reject });
    worker.postMessage({ id, bytes, ...options });
  });
}

function parse(bytes, { strictTable, rules }) {
  return addon.parse('p.vx', Buffer.from(bytes), tables[strictTable ? 1 : 0].reference, rules);
}

async function holds(bytes, options) {
  const first = await parse(bytes, options);
  checkRanges(first, bytes);
  assert.deepStrictEqual(await parse(bytes, options), first, 'a second parse differs');
  assert.deepStrictEqual(JSON.parse(JSON.stringify(first)), jsonNormal(first), 'JSON changed it');
  assert.deepStrictEqual(await parseInWorker(bytes, options), first, 'the worker parse differs');
}

// ---- The sources --------------------------------------------------------------------------------

const options = fc.record({
  strictTable: fc.boolean(),
  rules: fc.record({
    'core.strict': fc.boolean(),
    'core.dialect': fc.constant(RULES['core.dialect']),
    'syntax.parseBlocks': fc.boolean(),
    'diagnostic.limit': fc.integer({ min: 0, max: 3 }),
  }),
});

const bytesOf = (text) => new Uint8Array(Buffer.from(text));

// Pieces of lines: every token kind, some of them damaged.
const name = fc.constantFrom('R1', 'ACC', 'Motor.Run', 'x_1', '!RESET', 'Δt', 'a.b.c', 'INF', 'nan');
const number = fc.oneof(
  fc.integer().map(String),
  fc.double({ noNaN: true, noDefaultInfinity: true }).map(String),
  fc.constantFrom('1e99', '-1e-99', '0.0', '-0', '-0.0', '2.', '.5', '1e', '9'.repeat(40), '+INF', '-nan', '+Ix'),
);
const literal = fc.oneof(
  fc.nat().map((n) => `'${n.toString(16)}`),
  fc.nat().map((n) => `%${n.toString(2)}`),
  fc.nat(300).map((n) => `#${n}`),
  fc.constantFrom('#ORIGIN', '#', "'", '%', "'FFFFFFFFF", '=A', '=Z', '=', '(R1)', '*+', '*-', '*'),
  fc.string({ maxLength: 8 }).map((s) => `"${s.replace(/"/g, '""')}"`),
  fc.constantFrom('"open', '"a""b"', '""'),
);
const operand = fc.oneof(name, number, literal);
const operands = fc
  .array(operand, { maxLength: 5 })
  .chain((list) =>
    fc.array(fc.constantFrom(', ', ',', ' ', ',,', ' , '), { minLength: list.length, maxLength: list.length })
      .map((seps) => list.map((item, i) => (i === 0 ? item : seps[i] + item)).join('')));
const comment = fc.constantFrom('', '', ' ; note', '\t; é €', ';<TAG>', ' ;<=inline>', ';<', ';<>');
const indent = fc.constantFrom('', ' ', '    ', '\t');
const label = fc.constantFrom('LOOP', 'L1:', 'Start:', 'x', 'NOP:', '1:', 'A.B:');
const mnemonic = fc.constantFrom('MOV', 'NOP', 'JMP', 'ADD', 'nop', 'UNKNOWN', 'NOJ: MOV', 'REX: IASJ: ADD', 'NOJ MOV');
const directive = fc.constantFrom(
  'EQU', 'IEQU', 'SEQU', 'OEQU', 'AIEQU', 'AOEQU', 'FEQU', '#EQU', 'MEQU', 'DEFSEM', 'DEFBLOCK',
  'DEFWORD', 'DEFADDR', 'DEFTIME24', 'DEFLONG', 'DEFFLOAT', 'NV0', 'NV0TEXT', 'NV0BYTE', 'NV0FNUM',
  'NV0PTR', 'NV0SPACE', 'NVEM0', 'BEQU', 'equ',
);
const comparator = fc.constantFrom('EQ', 'NE', 'GT', 'GE', 'LT', 'LE', 'XX', 'eq');

const line = fc.oneof(
  fc.tuple(indent, mnemonic, operands, comment).map(([i, m, o, c]) => `${i}${m} ${o}${c}`),
  fc.tuple(label, fc.constantFrom(' ', '\t', ''), mnemonic, operands).map(([l, s, m, o]) => `${l}${s}${m} ${o}`),
  fc.tuple(label, indent, directive, operands, comment).map(([l, i, d, o, c]) => `${l}${i} ${d} ${o}${c}`),
  fc.tuple(indent, directive, operands).map(([i, d, o]) => `${i}${d} ${o}`),
  fc.tuple(comparator, operand, operand).map(([c, a, b]) => `#IF ${c}(${a}, ${b})`),
  fc.tuple(comparator, operand, operand).map(([c, a, b]) => `#ELSEIF ${c}(${a},${b})`),
  fc.constantFrom('#ELSE', '#ENDIF', '#IF', '#IF EQ(', '#endif', '  #ENDIF ; end'),
  fc.tuple(operands).map(([o]) => `#HMI m(${o})`),
  fc.tuple(indent, comment).map(([i, c]) => i + c),
  fc.tuple(indent, operands).map(([i, o]) => i + o),
);
const lineEnd = fc.constantFrom('\n', '\n', '\n', '\r\n', '\r', '');
const grammarSource = fc
  .array(fc.tuple(line, lineEnd), { maxLength: 16, size: 'max' })
  .map((lines) => bytesOf(lines.map(([text, end]) => text + end).join('')));

// Golden sources, mutated: bytes inserted, deleted, duplicated or overwritten at random places.
function* goldenFiles(dir) {
  for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) yield* goldenFiles(full);
    else if (entry.name.endsWith('.vx')) yield full;
  }
}
const GOLDEN = [...goldenFiles(path.join(__dirname, 'golden'))].map((file) => fs.readFileSync(file));
const INSERTS = ['\n', '\r', '\0', '"', ';', ',', '(', ')', '#IF ', '#ENDIF\n', ':', "'", '%', '\xe9', '€'];
const mutation = fc.oneof(
  fc.tuple(fc.constant('insert'), fc.nat(), fc.oneof(fc.constantFrom(...INSERTS).map(bytesOf), fc.uint8Array({ maxLength: 4 }))),
  fc.tuple(fc.constant('delete'), fc.nat(), fc.nat(40)),
  fc.tuple(fc.constant('duplicate'), fc.nat(), fc.nat(200)),
  fc.tuple(fc.constant('overwrite'), fc.nat(), fc.integer({ min: 0, max: 255 })),
);
function mutate(source, steps) {
  let bytes = Buffer.from(source);
  for (const [kind, at, arg] of steps) {
    const i = bytes.length === 0 ? 0 : at % (bytes.length + 1);
    if (kind === 'insert') bytes = Buffer.concat([bytes.subarray(0, i), arg, bytes.subarray(i)]);
    else if (kind === 'delete') bytes = Buffer.concat([bytes.subarray(0, i), bytes.subarray(i + arg)]);
    else if (kind === 'duplicate') bytes = Buffer.concat([bytes.subarray(0, i + arg), bytes.subarray(i)]);
    else if (i < bytes.length) bytes[i] = arg;
  }
  return new Uint8Array(bytes);
}
const mutatedGolden = fc
  .tuple(fc.constantFrom(...GOLDEN), fc.array(mutation, { minLength: 1, maxLength: 6 }))
  .map(([source, steps]) => mutate(source, steps));

const sources = {
  'arbitrary bytes': fc.uint8Array({ maxLength: 300, size: 'max' }),
  'arbitrary text': fc.string({ unit: 'binary', maxLength: 160, size: 'max' }).map(bytesOf),
  'lines of the language': grammarSource,
  'mutated golden sources': mutatedGolden,
};

// ---- The run ------------------------------------------------------------------------------------

test('the seed: given, fixed under CI, else drawn', () => {
  const draw = () => 123456;
  const rows = [
    [{}, 123456],
    [{ CI: 'true' }, CI_SEED],
    [{ CI: '1', VEXA_PROPERTY_SEED: '42' }, 42],
    [{ VEXA_PROPERTY_SEED: '-7' }, -7],
    [{ CI: '' }, 123456],
    [{ CI: 'false' }, 123456],
    [{ CI: '0' }, 123456],
  ];
  for (const [env, seed] of rows) assert.equal(chooseSeed(env, draw), seed, JSON.stringify(env));
  assert.throws(() => chooseSeed({ VEXA_PROPERTY_SEED: 'x' }, draw), /no integer/);
});

test('every parse result is well formed, repeatable, JSON-safe and thread-independent', async (t) => {
  t.diagnostic(`seed ${SEED}`);
  startWorker();
  t.after(() => worker.terminate());
  for (const [label, source] of Object.entries(sources)) {
    if (ONLY !== undefined && ONLY !== label) continue;
    const parameters = { numRuns: RUNS, seed: SEED };
    if (PATH !== undefined) parameters.path = PATH;
    const details = await fc.check(fc.asyncProperty(source, options, holds), parameters);
    if (details.failed) {
      assert.fail(
        `${label}: ${fc.defaultReportMessage(details)}\n` +
          `Replay: VEXA_PROPERTY_SOURCE='${label}' VEXA_PROPERTY_SEED=${details.seed} VEXA_PROPERTY_PATH=${details.counterexamplePath} ` +
          'node --test --expose-gc test/properties.test.js',
      );
    }
  }
});
