#!/usr/bin/env node
// `npm run bench`: the parse benchmark (bench/run.js), the result path's (bench/result-path.js),
// the latency of editor-sized and many parses (bench/latency.js), then the native one
// (bench/native.js), the first and last given this script's arguments (`npm run bench -- --update`
// writes bench/RESULTS.md). The status is the first failure's; the native benchmark runs even
// when the first one failed.
'use strict';
const { spawnSync } = require('node:child_process');
const path = require('node:path');

const args = process.argv.slice(2);
let status = 0;
const scripts = [
  ['run.js', ['--expose-gc'], args],
  ['result-path.js', ['--expose-gc'], []],
  ['latency.js', ['--expose-gc'], []],
  ['native.js', [], args],
];
for (const [script, flags, given] of scripts) {
  const run = spawnSync(process.execPath, [...flags, path.join(__dirname, '..', 'bench', script), ...given], { stdio: 'inherit' });
  const code = run.error ? 1 : run.status ?? 1;
  if (status === 0) status = code;
}
process.exit(status);
