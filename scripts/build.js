#!/usr/bin/env node
// Configures and builds the addon with CMake. `release` builds build/Release/vexa.node;
// `sanitize` builds build-sanitize/Release/vexa.node with ASan and UBSan; `bench` builds the
// native benchmark build-bench/vexa_bench (the core alone, optimised as the addon is, with
// symbols for profiling). Headers come from the node-api-headers and node-addon-api packages, so
// no Node.js headers are ever downloaded.
'use strict';
const { spawnSync } = require('node:child_process');
const path = require('node:path');
const os = require('node:os');

const variant = process.argv[2] || 'release';
const root = path.resolve(__dirname, '..');
const variants = {
  release: { dir: 'build', flags: ['-DCMAKE_BUILD_TYPE=Release'] },
  sanitize: { dir: 'build-sanitize', flags: ['-DCMAKE_BUILD_TYPE=RelWithDebInfo', '-DVEXA_SANITIZE=ON'] },
  bench: {
    dir: 'build-bench',
    flags: ['-DCMAKE_BUILD_TYPE=Release', '-DCMAKE_CXX_FLAGS=-g', '-DVEXA_BENCH=ON'],
  },
  fuzz: {
    dir: 'build-fuzz',
    flags: ['-DCMAKE_BUILD_TYPE=RelWithDebInfo', '-DVEXA_FUZZ=ON', '-DCMAKE_CXX_COMPILER=clang++'],
  },
};
const chosen = variants[variant];
if (!chosen) {
  console.error(`unknown build variant "${variant}" (release, sanitize, bench, fuzz)`);
  process.exit(2);
}

function run(command, args) {
  const result = spawnSync(command, args, { cwd: root, stdio: 'inherit' });
  if (result.error) {
    console.error(`${command}: ${result.error.message}`);
    process.exit(1);
  }
  if (result.status !== 0) process.exit(result.status ?? 1);
}

const headers = require('node-api-headers').include_dir;
const addonApi = path.dirname(require.resolve('node-addon-api/package.json'));
const buildDir = path.join(root, process.env.VEXA_BUILD_DIR || chosen.dir);
// The fuzz and bench targets link only the core, which knows nothing of Node-API.
const napi = variant === 'fuzz' || variant === 'bench'
  ? []
  : [`-DNODE_API_HEADERS_DIR=${headers}`, `-DNODE_ADDON_API_DIR=${addonApi}`];
run('cmake', ['-S', root, '-B', buildDir, ...chosen.flags, ...napi]);
run('cmake', ['--build', buildDir, '--parallel', String(Math.max(1, os.availableParallelism?.() ?? os.cpus().length))]);
