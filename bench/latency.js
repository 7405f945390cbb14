'use strict';
// Latency benchmark: `node --expose-gc bench/latency.js [package directory]` (part of
// `npm run bench`). Measures what an editor sees of parses of the sizes it sends:
//
//   one at a time   one source parsed again and again, each parse awaited before the next
//       (an empty source, 10 KiB and 100 KiB from bench/generate.js): p50 and p99 of the wall
//       time of `await parse()`, beside JSON.parse of the JSON text of that same result,
//       timed the same way; and the JavaScript thread's busy time per parse (its event loop's
//       utilization over the timed parses), the part of the latency that is not the parse job
//       or the hops between the threads
//   many files      1,000 different sources of 10 KiB, 16 parses in flight at any time, from
//       the first call until the last result; beside JSON.parse of all 1,000 results' texts,
//       and the share of that time the JavaScript thread was busy
//
// Nothing is collected between parses: a collection that falls inside a parse is part of its
// latency, as it would be in the editor. The package directory defaults to this checkout; naming
// another checkout measures its build the same way, so that two builds can be compared one right
// after the other.
const os = require('node:os');
const path = require('node:path');
const { performance } = require('node:perf_hooks');
const { generate } = require('./generate.js');

const root = path.resolve(process.argv[2] || path.join(__dirname, '..'));
const { parse, keywords } = require(root);
const RULES = {
  'core.strict': false,
  'core.dialect': 0,
  'syntax.parseBlocks': false,
  'diagnostic.limit': 0,
};
const KIB = 1024;
// label, bytes, warm-up parses, timed parses
const SIZES = [
  ['empty source', 0, 100, 500],
  ['10 KiB', 10 * KIB, 100, 500],
  ['100 KiB', 100 * KIB, 20, 200],
];
const FILES = 1000;
const FILE_BYTES = 10 * KIB;
const IN_FLIGHT = 16;
const FILE_REPS = 5;

const gc = typeof global.gc === 'function' ? global.gc : () => {};

function quantile(values, q) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

const median = (values) => quantile(values, 0.5);

function ms(value) {
  if (value >= 100) return value.toFixed(0);
  if (value >= 10) return value.toFixed(1);
  if (value >= 1) return value.toFixed(2);
  return value.toFixed(3);
}

/**
 * Times `count` runs of `step` (after `warmups` untimed ones), each awaited before the next: their
 * `times`, and the JavaScript thread's `busy` time over them.
 */
async function timeEach(step, warmups, count) {
  const times = [];
  let loop = null;
  for (let i = 0; i < warmups + count; i++) {
    if (i === warmups) loop = performance.eventLoopUtilization();
    const t0 = performance.now();
    await step();
    const t = performance.now() - t0;
    if (i >= warmups) times.push(t);
  }
  return { times, busy: performance.eventLoopUtilization(loop).active };
}

async function oneAtATime([label, bytes, warmups, count]) {
  const generated = generate({ seed: 1, bytes });
  const source = Buffer.from(generated.source);
  const table = keywords(generated.keywords, false);
  const first = await parse('latency.vx', source, table.reference, RULES);
  const text = JSON.stringify(first);
  gc();
  const own = await timeEach(() => parse('latency.vx', source, table.reference, RULES), warmups, count);
  gc();
  const json = await timeEach(() => JSON.parse(text), warmups, count);
  table.dispose();
  return { label, nodes: first.nodes.length, count, own: own.times, busy: own.busy, json: json.times };
}

async function manyFiles() {
  const generated = Array.from({ length: FILES }, (_, i) => generate({ seed: i + 1, bytes: FILE_BYTES }));
  const sources = generated.map((g) => Buffer.from(g.source));
  const table = keywords(generated[0].keywords, false);
  const texts = [];
  for (const source of sources) texts.push(JSON.stringify(await parse('many.vx', source, table.reference, RULES)));
  const own = [];
  const json = [];
  const busy = [];
  for (let rep = 0; rep < FILE_REPS + 1; rep++) {
    gc();
    const loop = performance.eventLoopUtilization();
    let t0 = performance.now();
    const results = new Array(FILES);
    let next = 0;
    const lane = async () => {
      while (next < FILES) {
        const i = next++;
        results[i] = await parse('many.vx', sources[i], table.reference, RULES);
      }
    };
    await Promise.all(Array.from({ length: IN_FLIGHT }, lane));
    const ownTime = performance.now() - t0;
    const { utilization } = performance.eventLoopUtilization(loop);
    results.fill(null);
    gc();
    t0 = performance.now();
    const built = texts.map((text) => JSON.parse(text));
    const jsonTime = performance.now() - t0;
    built.length = 0;
    // The first repetition warms up.
    if (rep > 0) {
      own.push(ownTime);
      json.push(jsonTime);
      busy.push(utilization);
    }
  }
  table.dispose();
  return {
    own: median(own),
    json: median(json),
    ownMin: Math.min(...own),
    ownMax: Math.max(...own),
    busy: median(busy),
  };
}

(async () => {
  await new Promise((resolve) => setImmediate(resolve));
  const load = os.loadavg()[0].toFixed(2);
  const rows = [];
  for (const size of SIZES) rows.push(await oneAtATime(size));
  const many = await manyFiles();
  console.log(`Latency of ${root} (${os.cpus().length} CPUs, load ${load} at start)\n`);
  console.log('| source, one at a time | nodes | parses | parse() p50 | parse() p99 | JS thread per parse | JSON.parse p50 | JSON.parse p99 | p50 ÷ JSON p50 |');
  console.log('| --- | --- | --- | --- | --- | --- | --- | --- | --- |');
  for (const row of rows) {
    const p50 = median(row.own);
    const jp50 = median(row.json);
    console.log(`| ${row.label} | ${row.nodes} | ${row.count} | ${ms(p50)} ms | ${ms(quantile(row.own, 0.99))} ms | ` +
      `${ms(row.busy / row.count)} ms | ${ms(jp50)} ms | ${ms(quantile(row.json, 0.99))} ms | ` +
      `${row.nodes ? (p50 / jp50).toFixed(2) + '×' : '–'} |`);
  }
  console.log('');
  console.log('| many files | parse() all | JS thread busy | JSON.parse all | parse ÷ JSON |');
  console.log('| --- | --- | --- | --- | --- |');
  console.log(`| ${FILES} × 10 KiB, ${IN_FLIGHT} in flight (median of ${FILE_REPS}) | ${ms(many.own)} ms ` +
    `(${ms(many.ownMin)}–${ms(many.ownMax)}) | ${(100 * many.busy).toFixed(0)}% | ${ms(many.json)} ms | ` +
    `${(many.own / many.json).toFixed(2)}× |`);
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
