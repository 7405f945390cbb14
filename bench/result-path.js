'use strict';
// Result-path benchmark: `node --expose-gc bench/result-path.js [package directory]` (part of
// `npm run bench`). Measures what a host that does other work meanwhile sees of a parse:
//
//   parse while four blocked pool jobs are queued   wall time of a 3 MiB parse while four reads
//       of named pipes (blocking, without CPU) are queued after it and released 1.5 s later;
//       beside it the same parse with nothing queued
//   heap kept by one label                           heap still used after keeping one
//       75-character label of a result of 100,000 distinct labels (7.5 MB of text)
//   terminate during a large parse                   how long worker.terminate() takes at points
//       of a 48 MiB parse in a worker thread (right after the call, then 100, 300, 1000 and
//       3000 ms later)
//
// The package directory defaults to this checkout; naming another checkout measures its build
// the same way, so that two builds can be compared one right after the other.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawn, execFileSync } = require('node:child_process');
const { Worker } = require('node:worker_threads');
const { performance } = require('node:perf_hooks');
const { keptLabel } = require('./kept-label.js');

const root = path.resolve(process.argv[2] || path.join(__dirname, '..'));
const { parse, keywords } = require(root);
const kw = keywords({ instructions: ['NOP'] }, false);
const RULES = { 'core.strict': false, 'core.dialect': 0, 'syntax.parseBlocks': false, 'diagnostic.limit': 0 };
const REPS = 3;
const RELEASE_MS = 1500;
const POOL = Number(process.env.UV_THREADPOOL_SIZE) || 4;

const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];
const lines = (count) => Buffer.from(Array.from({ length: count }, (_, i) => `  NOP ${i}, "s${i % 97}"\n`).join(''));
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Reads of `count` named pipes, queued on the pool now; released (written by child processes,
// which need no pool thread) after `ms`.
function blockedReads(count, ms) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vexa-bench-'));
  const pipes = Array.from({ length: count }, (_, i) => path.join(dir, `p${i}`));
  execFileSync('mkfifo', pipes);
  const reads = pipes.map((pipe) => fs.promises.readFile(pipe));
  const released = sleep(ms).then(() => Promise.all(pipes.map((pipe) => new Promise((resolve) => {
    spawn('sh', ['-c', 'printf x > "$0"', pipe]).on('exit', resolve);
  }))));
  return Promise.all([released, ...reads]).then(() => fs.rmSync(dir, { recursive: true, force: true }));
}

async function blockedPool() {
  const source = lines(200000);
  const plain = [];
  const blocked = [];
  for (let i = 0; i < REPS; i++) {
    let start = performance.now();
    await parse('b.vx', source, kw.reference, RULES);
    plain.push(performance.now() - start);
    start = performance.now();
    const parsed = parse('b.vx', source, kw.reference, RULES);
    const reads = blockedReads(POOL, RELEASE_MS);
    await parsed;
    blocked.push(performance.now() - start);
    await reads;
  }
  return { sourceMiB: source.length / 2 ** 20, plainMs: median(plain), blockedMs: median(blocked) };
}

async function keptOne() {
  const { kept, expected, retained } = await keptLabel((text) => parse('k.vx', Buffer.from(text), kw.reference, RULES));
  if (kept !== expected) throw new Error('kept the wrong label');
  return { retainedMiB: retained / 2 ** 20 };
}

const WORKER = `
const { parentPort, workerData } = require('node:worker_threads');
const { parse, keywords } = require(workerData);
const kw = keywords({ instructions: ['NOP'] }, false);
const source = Buffer.from('    NOP 1, 2, "x"\\n, bad line\\n'.repeat(1700000));
parse('w.vx', source, kw.reference, ${JSON.stringify(RULES)});
parentPort.postMessage('started');
`;

async function terminateDuring() {
  const points = [0, 100, 300, 1000, 3000];
  const rows = [];
  for (const after of points) {
    const times = [];
    for (let i = 0; i < REPS; i++) {
      const worker = new Worker(WORKER, { eval: true, workerData: root });
      await new Promise((resolve) => worker.once('message', resolve));
      await sleep(after);
      const start = performance.now();
      await worker.terminate();
      times.push(performance.now() - start);
    }
    rows.push({ afterMs: after, terminateMs: median(times), worstMs: Math.max(...times) });
  }
  return rows;
}

(async () => {
  const pool = await blockedPool();
  const kept = await keptOne();
  const terminate = await terminateDuring();
  const f = (n) => n.toFixed(1);
  console.log(`Result path of ${root} (median of ${REPS}; ${os.cpus().length} CPUs, load ${os.loadavg()[0].toFixed(2)})\n`);
  console.log('| measure | value |');
  console.log('| --- | --- |');
  console.log(`| parse of ${f(pool.sourceMiB)} MiB, nothing else queued | ${f(pool.plainMs)} ms |`);
  console.log(`| parse while four blocked pool jobs are queued (released after ${RELEASE_MS} ms) | ${f(pool.blockedMs)} ms |`);
  console.log(`| heap kept by one 75-character label of a 7.5 MB-text result | ${f(kept.retainedMiB)} MiB |`);
  for (const row of terminate) {
    console.log(`| terminate ${row.afterMs} ms into a 48 MiB parse | ${f(row.terminateMs)} ms (worst ${f(row.worstMs)}) |`);
  }
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
