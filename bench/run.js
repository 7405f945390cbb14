'use strict';
// Parse benchmark: `npm run bench` (node --expose-gc bench/run.js).
//
// All measurements run in this one process. Every measurement is repeated; warm-up repetitions
// are dropped, gc() runs before each timed step, and the table shows medians with min-max.
// Within a repetition the steps are interleaved (addon parse, JSON.parse yardstick, peer parse),
// so that a slow phase of the machine hits all of them alike.
//
//   end-to-end   wall time of `await parse()`, from the call to the resolved result
//   JSON.parse   JSON.parse of the JSON text of that same result: what it costs V8 to build the
//                same objects from the most optimised object builder there is
//   JS thread    time the event loop was busy while the parse was pending (argument checks, the
//                source copy, and turning the native nodes into JavaScript objects)
//   worker       end-to-end minus JS thread: lexing and parsing on the pool thread, plus queueing
//   peer         the same source parsed into the same nodes by a JavaScript parser built with
//                Chevrotain (bench/peers/chevrotain-parser.js)
//
// The results go to bench/out/RESULTS.md (ignored by git), with the run before them; `--update`
// (or VEXA_BENCH_UPDATE=1) writes the committed bench/RESULTS.md instead, for a run worth keeping.
// Options: --quick (or BENCH_QUICK=1) runs the two small sizes with few repetitions and writes no
// file unless --write is given as well.
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { performance, PerformanceObserver } = require('node:perf_hooks');
const { generate, KEYWORDS } = require('./generate.js');
const { createPeer } = require('./peers/chevrotain-parser.js');

const { parse, keywords } = require('..');
const ADDON_BUILD = describeBuild();

/**
 * Which build is measured, read before the run starts: the addon file and the commit of the
 * tree it lies in, since runs of different commits are compared through bench/RESULTS.md.
 */
function describeBuild() {
  const file = process.env.VEXA_ADDON
    ? path.resolve(process.env.VEXA_ADDON)
    : path.join(__dirname, '..', 'build', 'Release', 'vexa.node');
  const git = (...args) => {
    const run = spawnSync('git', ['-C', path.dirname(file), ...args], { encoding: 'utf8' });
    return run.status === 0 ? run.stdout.trim() : null;
  };
  const commit = git('rev-parse', '--short', 'HEAD');
  const changes = git('status', '--porcelain', '--untracked-files=no', '--', ':/src');
  const tree = commit === null
    ? 'not in a git checkout'
    : `tree at commit ${commit}${changes ? ' with uncommitted changes in src/' : ''}`;
  return `${file}${process.env.VEXA_ADDON ? ' (VEXA_ADDON)' : ''}, ${tree}`;
}

const argv = new Set(process.argv.slice(2));
const QUICK = argv.has('--quick') || process.env.BENCH_QUICK === '1';
const WRITE = !QUICK || argv.has('--write');
const COMMITTED = path.join(__dirname, 'RESULTS.md');
const RESULTS = argv.has('--update') || process.env.VEXA_BENCH_UPDATE === '1'
  ? COMMITTED
  : path.join(__dirname, 'out', 'RESULTS.md');

const RULES = {
  'core.strict': false,
  'core.dialect': 0,
  'syntax.parseBlocks': false,
  'diagnostic.limit': 0,
};
const NAME = 'bench.vx';
const SEED = 1;
const KIB = 1024;
const MIB = 1024 * 1024;
// Nodes per JSON text: the whole result of a large source is longer than the longest string V8
// can hold, so the yardstick parses the node list in slices (plus one text for the rest).
const JSON_SLICE = 200000;
// How long the stall probe runs on after a parse has resolved.
const STALL_TAIL_MS = 5;

// Sizes in ascending order: label, bytes, warm-up repetitions, fewest and most timed
// repetitions, budget (seconds of timed repetitions to aim for, given the length of the warm-up
// repetition), and whether the peer runs. The whole run has to stay within five minutes on two
// cores, so the largest size gets few repetitions and no peer.
const SIZES = (QUICK
  ? [
    ['10 KiB', 10 * KIB, 2, 2, 5, 2, true],
    ['1 MiB', MIB, 1, 2, 2, 10, true],
  ]
  : [
    ['10 KiB', 10 * KIB, 5, 5, 40, 5, true],
    ['1 MiB', MIB, 2, 3, 11, 25, true],
    ['10 MiB', 10 * MIB, 1, 2, 5, 60, true],
    ['64 MiB', 64 * MIB, 1, 1, 3, 100, false],
  ]
).map(([label, bytes, warmups, minReps, maxReps, budget, peer]) =>
  ({ label, bytes, warmups, minReps, maxReps, budget, peer }));
const FLOOR_REPS = QUICK ? 30 : 300;
const FLOOR_WARMUPS = QUICK ? 5 : 30;
// Seconds the whole run aims at; a repetition that has started is finished, so this stays well
// below five minutes.
const TOTAL_BUDGET_S = 240;
const started = performance.now();

const gc = ensureGc();

function ensureGc() {
  if (typeof global.gc === 'function') return global.gc;
  // Run without --expose-gc: switch the flag on at run time and fetch gc from a fresh context.
  require('node:v8').setFlagsFromString('--expose-gc');
  return require('node:vm').runInNewContext('gc');
}

function log(message) {
  const seconds = ((performance.now() - started) / 1000).toFixed(0).padStart(4);
  process.stderr.write(`[${seconds} s] ${message}\n`);
}

// ---------------------------------------------------------------------------------------------
// Statistics and formatting

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
}

function summary(values) {
  if (!values || values.length === 0) return null;
  return {
    median: median(values),
    min: Math.min(...values),
    max: Math.max(...values),
    n: values.length,
  };
}

function ms(value) {
  if (value >= 100) return value.toFixed(0);
  if (value >= 10) return value.toFixed(1);
  if (value >= 1) return value.toFixed(2);
  return value.toFixed(3);
}

function timeCell(s) {
  if (!s) return '–';
  return `${ms(s.median)} ms (${ms(s.min)}–${ms(s.max)})`;
}

function ratio(a, b) {
  if (!(a > 0) || !(b > 0)) return '–';
  const r = a / b;
  return `${r >= 10 ? r.toFixed(0) : r.toFixed(2)}×`;
}

function rate(bytes, milliseconds) {
  if (!(milliseconds > 0)) return '–';
  const value = bytes / MIB / (milliseconds / 1000);
  return value >= 100 ? value.toFixed(0) : value.toFixed(1);
}

function mib(bytes) {
  return `${(bytes / MIB).toFixed(0)} MiB`;
}

// ---------------------------------------------------------------------------------------------
// Measurements

/**
 * Collects garbage from a fresh macrotask. Code that runs on after an `await` keeps the awaited
 * value alive until the next `await`, so a large result dropped in that stretch would otherwise
 * survive the collection and weigh on the next measurement.
 */
async function settle() {
  await new Promise((resolve) => setImmediate(resolve));
  gc();
}

/**
 * One `await parse()`: wall time and the JavaScript thread's busy time while it was pending.
 * Callers set `result` of the returned object to null when done with it (see settle).
 */
async function timedParse(buffer, reference, { probe = false } = {}) {
  const stop = probe ? stallProbe() : null;
  // The wall-clock window encloses the utilisation window, so that busy time never exceeds it.
  const t0 = performance.now();
  const elu = performance.eventLoopUtilization();
  const result = await parse(NAME, buffer, reference, RULES);
  const busy = performance.eventLoopUtilization(elu).active;
  const wall = performance.now() - t0;
  const probed = stop ? await stop() : null;
  return { result, wall, busy, stall: probed?.longest ?? null, gcPause: probed?.gcLongest ?? null };
}

/**
 * The longest time the event loop went without running a 1 ms interval timer, from the start of
 * a parse until STALL_TAIL_MS after its resolution (so that work done at or right after the
 * resolution counts too), and the longest garbage-collection pause the engine reported in that
 * time. Started before the parse; the returned function stops it and gives both.
 */
function stallProbe() {
  let last = performance.now();
  let longest = 0;
  let gcLongest = 0;
  const tick = () => {
    const now = performance.now();
    longest = Math.max(longest, now - last);
    last = now;
  };
  const timer = setInterval(tick, 1);
  const observer = new PerformanceObserver((list) => {
    for (const entry of list.getEntries()) gcLongest = Math.max(gcLongest, entry.duration);
  });
  observer.observe({ entryTypes: ['gc'] });
  return async () => {
    await new Promise((resolve) => setTimeout(resolve, STALL_TAIL_MS));
    clearInterval(timer);
    tick();
    observer.disconnect();
    return { longest, gcLongest };
  };
}

/**
 * The result's JSON texts, kept in files between repetitions: in the process, even as Buffers
 * outside the V8 heap, a gigabyte of text makes the garbage collector run more often and would
 * slow down the very parses being timed. Texts: the node list in slices of JSON_SLICE nodes,
 * then the rest of the result object.
 */
class JsonTexts {
  constructor(result) {
    this.dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vexa-bench-'));
    this.files = [];
    for (let i = 0; i < result.nodes.length; i += JSON_SLICE) {
      this.add(JSON.stringify(result.nodes.slice(i, i + JSON_SLICE)));
    }
    this.slices = this.files.length;
    this.add(JSON.stringify({ optimize: result.optimize, diagnostics: result.diagnostics }));
  }

  add(text) {
    const file = path.join(this.dir, `${this.files.length}.json`);
    fs.writeFileSync(file, text);
    this.files.push(file);
  }

  bytes(i) {
    return fs.readFileSync(this.files[i]);
  }

  text(i) {
    return fs.readFileSync(this.files[i], 'utf8');
  }

  remove() {
    fs.rmSync(this.dir, { recursive: true, force: true });
  }
}

/** JSON.parse of every text, all results kept alive as the parse result would be; total time. */
function timedJsonParse(texts) {
  const built = [];
  let total = 0;
  for (let i = 0; i < texts.files.length; i++) {
    let text = texts.text(i);
    const t0 = performance.now();
    built.push(JSON.parse(text));
    total += performance.now() - t0;
    text = null;
  }
  return { total, built };
}

/** Samples the resident set size every few milliseconds until stopped; returns the peak. */
function rssSampler() {
  let peak = process.memoryUsage.rss();
  const timer = setInterval(() => {
    peak = Math.max(peak, process.memoryUsage.rss());
  }, 5);
  return () => {
    clearInterval(timer);
    return Math.max(peak, process.memoryUsage.rss());
  };
}

async function measureFloor(reference) {
  const empty = Buffer.alloc(0);
  const oneLine = Buffer.from('    MOV R1, 5\n');
  const rows = { empty: { wall: [], busy: [] }, oneLine: { wall: [], busy: [] } };
  log(`round-trip floor: ${FLOOR_WARMUPS} warm-ups + ${FLOOR_REPS} repetitions`);
  for (let rep = 0; rep < FLOOR_WARMUPS + FLOOR_REPS; rep++) {
    for (const [key, buffer] of [['empty', empty], ['oneLine', oneLine]]) {
      await settle();
      const { wall, busy } = await timedParse(buffer, reference);
      if (rep >= FLOOR_WARMUPS) {
        rows[key].wall.push(wall);
        rows[key].busy.push(busy);
      }
    }
  }
  return {
    empty: { wall: summary(rows.empty.wall), busy: summary(rows.empty.busy) },
    oneLine: {
      wall: summary(rows.oneLine.wall),
      busy: summary(rows.oneLine.busy),
      bytes: oneLine.length,
    },
  };
}

/**
 * Seconds one repetition of `size` is likely to take, scaled from the medians of the size
 * measured before it; the largest inputs take somewhat more than their share.
 */
function predictRepSeconds(size, previous) {
  if (!previous) return 0;
  const parts = previous.wall.median + previous.json.median +
    (size.peer && previous.peer ? previous.peer.median : 0);
  return (parts / 1000) * (size.bytes / previous.bytes) * 1.3;
}

function secondsLeft() {
  return TOTAL_BUDGET_S - (performance.now() - started) / 1000;
}

/** Index of the first node that differs between two node lists, or -1 when they are equal. */
function firstNodeDifference(peerNodes, ownNodes) {
  const count = Math.min(peerNodes.length, ownNodes.length);
  for (let i = 0; i < count; i++) {
    if (JSON.stringify(peerNodes[i]) !== JSON.stringify(ownNodes[i])) return i;
  }
  return peerNodes.length === ownNodes.length ? -1 : count;
}

async function measureSize(size, peer, previous) {
  log(`${size.label}: generating`);
  const generated = generate({ seed: SEED, bytes: size.bytes });
  const buffer = Buffer.from(generated.source);
  const table = keywords(generated.keywords, false);
  generated.source = null;
  // The peer parses only part of the language: it is timed against the addon on a source of the
  // same size drawn from that part alone.
  const subset = size.peer ? generate({ seed: SEED, bytes: size.bytes, peerSubset: true }) : null;
  const subsetBuffer = subset ? Buffer.from(subset.source) : null;
  const subsetTable = subset ? keywords(subset.keywords, false) : null;
  const peerTable = subset ? peer.keywords(subset.keywords, false) : null;

  const samples = { wall: [], busy: [], json: [], peer: [], peerOwn: [], stall: [], gcPause: [] };
  let texts = null;
  let nodeCount = 0;
  let peakRss = 0;
  let peerCheck = size.peer ? 'not run' : 'skipped';
  let reps = size.maxReps;
  let warmups = size.warmups;
  // The smaller sizes before this one have warmed the code already; when the budget leaves no
  // room for a warm-up repetition of a large input, its first repetition is timed. The first
  // repetition of a size also writes the JSON texts, which costs about one more repetition.
  const predicted = predictRepSeconds(size, previous);
  if (warmups > 0 && (warmups + 1 + size.minReps) * predicted > secondsLeft() - 20) {
    warmups = 0;
    log(`${size.label}: about ${predicted.toFixed(0)} s per repetition, no warm-up`);
  }

  for (let rep = 0; rep < warmups + reps; rep++) {
    const warm = rep < warmups;
    const repStart = performance.now();

    // 1. End to end, with the JavaScript thread's share. The first repetition samples memory.
    await settle();
    const stopSampler = rep === 0 ? rssSampler() : null;
    const parsed = await timedParse(buffer, table.reference, { probe: true });
    if (stopSampler) peakRss = stopSampler();
    const { wall, busy } = parsed;
    nodeCount = parsed.result.nodes.length;

    // 2. The JSON yardstick: same objects, built by JSON.parse from the result's JSON text.
    if (texts === null) texts = new JsonTexts(parsed.result);
    parsed.result = null;
    await settle();
    let json = timedJsonParse(texts);
    json.built = null;
    const jsonTime = json.total;
    json = null;

    // 3. The peer and the addon on the peer's part of the language, after checking once that
    // the peer builds exactly the addon's nodes.
    let peerTime = null;
    let ownTime = null;
    if (size.peer) {
      await settle();
      const own = await timedParse(subsetBuffer, subsetTable.reference);
      ownTime = own.wall;
      await settle();
      const t0 = performance.now();
      let peerResult = peer.parse(NAME, subsetBuffer, peerTable, RULES);
      peerTime = performance.now() - t0;
      if (rep === 0) {
        const at = firstNodeDifference(peerResult.nodes, own.result.nodes);
        peerCheck = at < 0 ? 'equal' : `DIFFER at node ${at}`;
        if (at >= 0) log(`${size.label}: peer nodes differ from the addon's at node ${at}`);
      }
      peerResult = null;
    }

    if (!warm) {
      samples.wall.push(wall);
      samples.busy.push(busy);
      samples.stall.push(parsed.stall);
      samples.gcPause.push(parsed.gcPause);
      samples.json.push(jsonTime);
      if (peerTime !== null) samples.peer.push(peerTime);
      if (ownTime !== null) samples.peerOwn.push(ownTime);
    }
    const repSeconds = (performance.now() - repStart) / 1000;
    if (rep === Math.max(warmups, 1) - 1) {
      // Fit the number of timed repetitions to this size's budget and to what is left overall.
      const fit = Math.floor(Math.min(size.budget, Math.max(0, secondsLeft() - 20)) /
        Math.max(repSeconds, 1e-3));
      reps = Math.max(size.minReps, Math.min(size.maxReps, fit));
    }
    log(`${size.label}: ${warm ? 'warm-up' : 'repetition'} ${rep + 1}/${warmups + reps} ` +
      `took ${repSeconds.toFixed(1)} s (parse ${ms(wall)} ms)`);
    if (!warm && secondsLeft() < 0) {
      log(`${size.label}: out of time after ${samples.wall.length} timed repetitions`);
      break;
    }
  }
  table.dispose();
  texts.remove();
  return {
    label: size.label,
    bytes: size.bytes,
    warmups,
    nodes: nodeCount,
    slices: texts.slices,
    wall: summary(samples.wall),
    busy: summary(samples.busy),
    stall: summary(samples.stall),
    gcPause: summary(samples.gcPause),
    json: summary(samples.json),
    peer: summary(samples.peer),
    peerOwn: summary(samples.peerOwn),
    peerCheck,
    peakRss,
  };
}

// ---------------------------------------------------------------------------------------------
// Report

function machineInfo() {
  const cpus = os.cpus();
  let chevrotain = '?';
  try {
    const file = path.join(path.dirname(require.resolve('chevrotain')), '..', '..', 'package.json');
    chevrotain = JSON.parse(fs.readFileSync(file, 'utf8')).version;
  } catch {
    // the version is only informative
  }
  const heapLimit = require('node:v8').getHeapStatistics().heap_size_limit;
  return [
    `- CPU: ${cpus.length ? cpus[0].model : 'unknown'}, ${cpus.length} cores`,
    `- Memory: ${(os.totalmem() / 2 ** 30).toFixed(1)} GiB; V8 heap limit ${mib(heapLimit)}`,
    `- OS: ${os.type()} ${os.release()} ${os.arch()}; load average at start ` +
      `${os.loadavg().map((x) => x.toFixed(2)).join(' ')}`,
    `- Node.js ${process.version}; Chevrotain ${chevrotain}`,
    `- Addon: ${ADDON_BUILD}`,
  ].join('\n');
}

function buildTable(floor, sizes) {
  const header = [
    'Input', 'Nodes', 'parse() end to end', 'MiB/s', 'JSON.parse', 'end to end ÷ JSON',
    'JS thread', 'JS thread ÷ JSON', 'worker MiB/s', 'end to end ÷ empty', 'peer (Chevrotain)',
    'peer ÷ ours, peer subset', 'peak RSS', 'longest stall', 'longest GC pause',
  ];
  const rows = [header, header.map(() => '---')];
  const emptyWall = floor.empty.wall.median;
  rows.push([
    'empty source', '0', timeCell(floor.empty.wall), '–', '–', '–', timeCell(floor.empty.busy),
    '–', '–', '1.00×', '–', '–', '–', '–', '–',
  ]);
  rows.push([
    `one line (${floor.oneLine.bytes} B)`, '1', timeCell(floor.oneLine.wall), '–', '–', '–',
    timeCell(floor.oneLine.busy), '–', '–', ratio(floor.oneLine.wall.median, emptyWall), '–', '–',
    '–', '–', '–',
  ]);
  for (const s of sizes) {
    const worker = s.wall.median - s.busy.median;
    const peerCell = s.peer
      ? `${timeCell(s.peer)}, nodes ${s.peerCheck}`
      : s.peerCheck === 'skipped' ? 'skipped (see notes)' : '–';
    rows.push([
      s.label, String(s.nodes), timeCell(s.wall), rate(s.bytes, s.wall.median),
      timeCell(s.json) + (s.slices > 1 ? ` [${s.slices} slices]` : ''),
      ratio(s.wall.median, s.json.median), timeCell(s.busy), ratio(s.busy.median, s.json.median),
      rate(s.bytes, worker), '–', peerCell,
      s.peer ? ratio(s.peer.median, s.peerOwn.median) : '–', mib(s.peakRss), timeCell(s.stall),
      timeCell(s.gcPause),
    ]);
  }
  return rows.map((cells) => `| ${cells.join(' | ')} |`).join('\n');
}

function notes(floor, sizes) {
  const reps = sizes.map((s) => `${s.label} ${s.warmups} + ${s.wall.n}`).join(', ');
  const lines = [
    `Warm-up + timed repetitions: ${reps}; round-trip floor ${FLOOR_WARMUPS} + ` +
      `${floor.empty.wall.n} each (empty and one-line parses alternate). A size without warm-up ` +
      'ran after the smaller ones had warmed the code. Cells: median (min–max). MiB = 2^20 bytes.',
    `Input: bench/generate.js, seed ${SEED}, default line weights; rules not strict, keyword ` +
      'tables not strict, block tags off.',
    'JS thread: event-loop busy time while the parse promise was pending ' +
      '(performance.eventLoopUtilization); worker MiB/s: source size ÷ (end to end − JS thread).',
    `JSON.parse: the result's JSON text, node list cut into slices of ${JSON_SLICE} nodes ` +
      '(V8 cannot hold the whole text of a large result in one string), all slices kept alive.',
    'Peak RSS: sampled every 5 ms during the first parse of each size, result included.',
    'Peer: the Chevrotain parser knows labels, instructions, comments and faulty lines only; it ' +
      'and the addon parse a source of the same size drawn from those line kinds (same seed), ' +
      'and "peer ÷ ours" compares those two times. "nodes equal": both built the same nodes.',
    'Longest stall: the longest gap between runs of a 1 ms interval timer, from the call of ' +
      `parse() until ${STALL_TAIL_MS} ms after its resolution (the JS thread held by one job, ` +
      'or by the engine\'s garbage collector, or the process descheduled on a loaded machine).',
    'Longest GC pause: the longest garbage collection the engine reported (perf_hooks "gc" ' +
      'entries) in that same time: where it is close to the longest stall, the collector, not ' +
      'the parse, held the thread.',
  ];
  const skipped = sizes.filter((s) => !s.peer);
  if (skipped.length) {
    const measured = sizes.filter((s) => s.peer);
    const last = measured[measured.length - 1];
    const estimate = last
      ? ` (at the ${last.label} speed one run would take about ` +
        `${((last.peer.median / last.bytes) * skipped[0].bytes / 1000).toFixed(0)} s)`
      : '';
    lines.push(`Peer skipped at ${skipped.map((s) => s.label).join(', ')} to keep the whole run ` +
      `within five minutes${estimate}.`);
  }
  if (QUICK) lines.push('Quick run (--quick): reduced sizes and repetitions.');
  return lines.map((line) => `- ${line}`).join('\n');
}

function writeResults(section) {
  let previous = '_No earlier run._';
  // The first run into bench/out/ compares with the committed results.
  const before = fs.existsSync(RESULTS) ? RESULTS : COMMITTED;
  if (fs.existsSync(before)) {
    const old = fs.readFileSync(before, 'utf8');
    const start = old.indexOf('## Latest run');
    const end = old.indexOf('## Previous run');
    if (start >= 0) {
      previous = old.slice(start + '## Latest run'.length, end > start ? end : undefined).trim();
    }
  }
  const text = [
    '# Parse benchmark results',
    '',
    'Written by `npm run bench` (bench/run.js). Each run replaces "Latest run" and moves the run ' +
      'before it to "Previous run".',
    '',
    '## Latest run',
    '',
    section,
    '',
    '## Previous run',
    '',
    previous,
    '',
  ].join('\n');
  fs.mkdirSync(path.dirname(RESULTS), { recursive: true });
  fs.writeFileSync(RESULTS, text);
}

async function main() {
  // Let the event loop start, so that its utilisation is counted from a running loop.
  await new Promise((resolve) => setImmediate(resolve));
  const peer = await createPeer();
  const floorTable = keywords(KEYWORDS, false);
  const floor = await measureFloor(floorTable.reference);
  floorTable.dispose();

  const sizes = [];
  for (const size of SIZES) sizes.push(await measureSize(size, peer, sizes[sizes.length - 1]));

  const when = new Date().toISOString().replace(/\.\d+Z$/, 'Z');
  const section = [
    `${when}, ${((performance.now() - started) / 1000).toFixed(0)} s${QUICK ? ', quick run' : ''}`,
    '',
    machineInfo(),
    '',
    buildTable(floor, sizes),
    '',
    notes(floor, sizes),
  ].join('\n');
  process.stdout.write(`${section}\n`);
  if (WRITE) {
    writeResults(section);
    log(`written to ${path.relative(process.cwd(), RESULTS)}`);
  }
  if (sizes.some((s) => s.peerCheck.startsWith('DIFFER'))) process.exitCode = 1;
}

main().catch((error) => {
  console.error(error);
  process.exitCode = 1;
});
