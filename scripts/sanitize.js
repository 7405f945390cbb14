#!/usr/bin/env node
// Builds the AddressSanitizer + UndefinedBehaviorSanitizer addon and runs the whole test suite
// against it, with the sanitizer runtime preloaded into node (node itself is not instrumented).
// Sanitizer reports are written to files, so a report in any child process fails the run.
'use strict';
const { spawnSync, execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const root = path.resolve(__dirname, '..');

function run(command, args, env) {
  const result = spawnSync(command, args, { cwd: root, stdio: 'inherit', env });
  if (result.error) throw result.error;
  return result.status ?? 1;
}

if (run(process.execPath, [path.join(__dirname, 'build.js'), 'sanitize'], process.env) !== 0) {
  process.exit(1);
}

// The runtime must be the one of the compiler that built the addon: GCC's libasan, or clang's
// own runtime when CMake picked clang (CXX=clang++).
function sanitizerRuntime() {
  const cache = fs.readFileSync(path.join(root, 'build-sanitize', 'CMakeCache.txt'), 'utf8');
  const compiler = (cache.match(/^CMAKE_CXX_COMPILER:\w+=(.*)$/m) || [])[1] || 'g++';
  const clang = /clang/.test(path.basename(compiler));
  const arch = { x64: 'x86_64', arm64: 'aarch64', ia32: 'i386' }[process.arch] || process.arch;
  const file = clang ? `libclang_rt.asan-${arch}.so` : 'libasan.so';
  return execFileSync(compiler, [`-print-file-name=${file}`]).toString().trim();
}
const runtime = sanitizerRuntime();
const logs = fs.mkdtempSync(path.join(os.tmpdir(), 'vexa-sanitize-'));
const env = {
  ...process.env,
  VEXA_ADDON: path.join(root, 'build-sanitize', 'Release', 'vexa.node'),
  LD_PRELOAD: runtime,
  ASAN_OPTIONS: `detect_leaks=1:log_path=${logs}/asan:abort_on_error=0`,
  UBSAN_OPTIONS: `print_stacktrace=1:halt_on_error=1:log_path=${logs}/ubsan`,
};

// Files that load no addon (they read sources, format messages) run
// in `npm test` alone: the sanitizer has nothing to watch in them. Each is checked to still load no
// addon, so that one which starts to is not left out unseen.
const NO_ADDON = new Set(['layers.test.js', 'messages.test.js']);
const LOADS_ADDON = /require\((['"])(\.\.|\.\.\/index(\.js)?|vexa-frontend|\.\/helpers(\.js)?|\.\/golden(\.js)?)\1\)|VEXA_ADDON|\.node\b/;
for (const file of NO_ADDON) {
  if (LOADS_ADDON.test(fs.readFileSync(path.join(root, 'test', file), 'utf8'))) {
    console.error(`test/${file} loads the addon now: take it off the sanitizer run's list of files that do not`);
    process.exit(1);
  }
}
const testFiles = fs
  .readdirSync(path.join(root, 'test'))
  .filter((file) => file.endsWith('.test.js') && !NO_ADDON.has(file))
  .map((file) => path.join('test', file));
const status = run(process.execPath, ['--test', '--expose-gc', ...testFiles], env);
const reports = fs.readdirSync(logs);
for (const report of reports) {
  console.error(`\n==== sanitizer report ${report} ====`);
  console.error(fs.readFileSync(path.join(logs, report), 'utf8'));
}
fs.rmSync(logs, { recursive: true, force: true });
if (reports.length > 0) {
  console.error(`sanitizer: ${reports.length} report(s)`);
  process.exit(1);
}
console.log('sanitizer: no reports');
process.exit(status);
