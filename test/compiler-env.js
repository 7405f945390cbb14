'use strict';
// The environment for the TypeScript compiler, which loads no addon: without the sanitizer
// runtime that the sanitizer run preloads into every process (it would only slow the compiler
// down and report the engine's own allocations at exit). Kept apart from helpers.js, which loads
// the addon, so that test files that only compile types stay out of the sanitizer run.
function compilerEnv() {
  const env = { ...process.env };
  for (const name of ['LD_PRELOAD', 'ASAN_OPTIONS', 'UBSAN_OPTIONS', 'LSAN_OPTIONS']) delete env[name];
  return env;
}

module.exports = { compilerEnv };
