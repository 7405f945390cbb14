#!/usr/bin/env node
// Concurrency and teardown soak of the addon (not part of `npm test`: it runs for minutes).
//
//   1. memory: sequential parses of a 10 KiB source; resident memory may not grow by 10 MiB or
//      more after the first 1,000;
//   2. concurrency: 8 worker threads, each with 64 parses in flight, while keyword tables are
//      created and disposed on every thread; every result must deep-equal the same parse run
//      alone on the main thread;
//   3. teardown: workers terminated mid-parse, and processes exiting mid-parse (from the main
//      thread and with workers still parsing), each in a child process; no child may abort.
//
// Figures are printed as it goes; the exit status is 1 when any check failed. VEXA_STRESS_SCALE
// (default 1) scales the round counts, e.g. 0.1 for a quick look.
'use strict';
const { Worker, isMainThread, parentPort, workerData } = require('node:worker_threads');
const { spawn } = require('node:child_process');
const { isDeepStrictEqual } = require('node:util');
const path = require('node:path');

const root = path.resolve(__dirname, '..');
const addon = require(root);
const { generate } = require(path.join(root, 'bench', 'generate.js'));

const RULES = {
  'core.strict': false,
  'core.dialect': 0,
  'syntax.parseBlocks': true,
  'diagnostic.limit': 0,
};

// Sources of every line kind and of different sizes, under two rule sets.
function sources() {
  const list = [];
  for (let seed = 1; seed <= 16; seed++) {
    const { source, keywords } = generate({ seed, bytes: 512 * seed, eol: seed % 4 === 0 ? '\r\n' : '\n' });
    const rules = { ...RULES, 'core.strict': seed % 3 === 0, 'diagnostic.limit': seed % 5 };
    list.push({ source, keywords, rules });
  }
  return list;
}

// ---- Worker side of the concurrency soak ------------------------------------------------------

async function workerMain() {
  const { jobs, inFlight, rounds } = workerData;
  for (let round = 0; round < rounds; round++) {
    const promises = [];
    for (let i = 0; i < inFlight; i++) {
      const job = jobs[(i + round) % jobs.length];
      // A table of its own for each parse, disposed at once: the parse holds on to it.
      const table = addon.keywords(job.keywords, false);
      promises.push(addon.parse('stress.vx', Buffer.from(job.source), table.reference, job.rules)
        .then((result) => ({ index: (i + round) % jobs.length, result })));
      table.dispose();
      // Tables created and dropped while the parses run.
      addon.keywords(job.keywords, i % 2 === 0).dispose();
    }
    parentPort.postMessage(await Promise.all(promises));
  }
}

// ---- Main side ----------------------------------------------------------------------------------

let failures = 0;
function check(ok, message) {
  if (!ok) {
    failures++;
    console.error(`FAIL: ${message}`);
  }
}

async function concurrency(scale) {
  const jobs = sources();
  const expected = [];
  for (const job of jobs) {
    const table = addon.keywords(job.keywords, false);
    expected.push(await addon.parse('stress.vx', Buffer.from(job.source), table.reference, job.rules));
    table.dispose();
  }
  const threads = 8;
  const inFlight = 64;
  const rounds = Math.max(1, Math.round(8 * scale));
  let compared = 0;
  const workers = [];
  for (let t = 0; t < threads; t++) {
    workers.push(new Promise((resolve, reject) => {
      const worker = new Worker(__filename, { workerData: { jobs, inFlight, rounds } });
      let left = rounds;
      worker.on('message', (results) => {
        for (const { index, result } of results) {
          compared++;
          check(isDeepStrictEqual(result, expected[index]), `worker ${t}: source ${index} parsed differently`);
        }
        if (--left === 0) worker.terminate().then(resolve);
      });
      worker.on('error', reject);
    }));
  }
  // The main thread keeps creating and disposing tables and parsing while the workers run.
  let mainParses = 0;
  let done = false;
  const all = Promise.all(workers).then(() => { done = true; });
  while (!done) {
    const job = jobs[mainParses % jobs.length];
    const table = addon.keywords(job.keywords, mainParses % 2 === 0);
    const pending = addon.parse('stress.vx', Buffer.from(job.source), table.reference, job.rules);
    table.dispose();
    const result = await pending;
    if (mainParses % 2 === 1) {
      check(isDeepStrictEqual(result, expected[mainParses % jobs.length]), `main: source ${mainParses % jobs.length} parsed differently`);
    }
    mainParses++;
  }
  await all;
  console.log(`concurrency: ${threads} workers x ${inFlight} parses in flight x ${rounds} rounds; ` +
    `${compared} worker results and ${mainParses} main-thread parses checked`);
}

// Runs `count` child processes, `parallel` at a time; counts those that did not end normally.
async function children(label, count, parallel, argsOf) {
  let next = 0;
  let aborted = 0;
  const samples = [];
  const one = () => new Promise((resolve) => {
    const child = spawn(process.execPath, argsOf(next++), { stdio: ['ignore', 'ignore', 'pipe'] });
    let stderr = '';
    child.stderr.on('data', (chunk) => { stderr += chunk; });
    child.on('close', (code, signal) => {
      if (code !== 0 || signal !== null) {
        aborted++;
        if (samples.length < 3) samples.push(`status ${code}, signal ${signal}: ${stderr.slice(0, 500)}`);
      }
      resolve();
    });
  });
  const lanes = Array.from({ length: parallel }, async () => {
    while (next < count) await one();
  });
  await Promise.all(lanes);
  console.log(`${label}: ${count} child processes, ${aborted} ended abnormally`);
  for (const sample of samples) console.error(`  ${sample}`);
  check(aborted === 0, `${label}: ${aborted} abnormal end(s)`);
}

async function teardown(scale) {
  const terminations = Math.max(1, Math.round(500 * scale));
  const perChild = 25;
  const fixture = path.join(root, 'test', 'fixtures', 'terminate.js');
  await children(`terminate mid-parse (${terminations} workers)`, Math.ceil(terminations / perChild), 2,
    () => [fixture, String(perChild)]);
  const exits = Math.max(1, Math.round(500 * scale));
  await children('process.exit mid-parse', exits, 2, (i) => [__filename, '--exit-child', String(i)]);
}

// A child that starts parses (on the main thread, or in workers for odd numbers) and exits the
// process while they run, after a delay that varies with its number.
function exitChild(number) {
  const job = sources()[number % 16];
  const source = Buffer.from(job.source.repeat(8));
  const delay = number % 5;
  if (number % 2 === 0) {
    const table = addon.keywords(job.keywords, false);
    for (let i = 0; i < 8; i++) addon.parse('exit.vx', source, table.reference, job.rules);
    setTimeout(() => process.exit(0), delay);
    return;
  }
  const code = `
    const { parentPort, workerData } = require('node:worker_threads');
    const addon = require(workerData.root);
    const table = addon.keywords(workerData.keywords, false);
    const source = Buffer.from(workerData.source);
    for (let i = 0; i < 8; i++) addon.parse('exit.vx', source, table.reference, workerData.rules);
    parentPort.postMessage('started');`;
  let started = 0;
  for (let w = 0; w < 2; w++) {
    const worker = new Worker(code, {
      eval: true,
      workerData: { root, keywords: job.keywords, source: job.source.repeat(8), rules: job.rules },
    });
    worker.once('message', () => {
      if (++started === 2) setTimeout(() => process.exit(0), delay);
    });
  }
}

async function memory(scale) {
  const { source, keywords } = generate({ seed: 7, bytes: 10 * 1024 });
  const bytes = Buffer.from(source);
  const table = addon.keywords(keywords, false);
  const total = Math.max(2000, Math.round(100000 * scale));
  const mib = (n) => (n / 2 ** 20).toFixed(1);
  let baseline = 0;
  for (let i = 1; i <= total; i++) {
    await addon.parse('memory.vx', bytes, table.reference, RULES);
    if (i === 1000) {
      global.gc();
      baseline = process.memoryUsage().rss;
    }
  }
  global.gc();
  const growth = process.memoryUsage().rss - baseline;
  console.log(`memory: ${total} parses of ${bytes.length} bytes; resident ${mib(baseline)} MiB after 1000, ` +
    `${mib(baseline + growth)} MiB after ${total}: growth ${mib(growth)} MiB`);
  check(growth < 10 * 2 ** 20, `memory grew by ${mib(growth)} MiB`);
  table.dispose();
}

async function main() {
  if (typeof global.gc !== 'function') {
    console.error('run with node --expose-gc (npm run stress does)');
    process.exit(2);
  }
  const scale = Number(process.env.VEXA_STRESS_SCALE || 1);
  // Memory first, while the heap holds nothing of the other soaks.
  await memory(scale);
  await concurrency(scale);
  await teardown(scale);
  console.log(failures === 0 ? 'stress: all checks held' : `stress: ${failures} check(s) failed`);
  process.exit(failures === 0 ? 0 : 1);
}

if (!isMainThread) workerMain();
else if (process.argv[2] === '--exit-child') exitChild(Number(process.argv[3]));
else main();
