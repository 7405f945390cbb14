'use strict';
// The declared types against the code that uses them and against the results the parser really
// builds: test/types/usage.ts must compile (and its @ts-expect-error lines must fail), and every
// golden result, written out as a typed literal, must fit the declared result type, so that a
// property the parser writes and the types do not declare (or the other way round) is caught;
// and the language server, written in JavaScript, is checked against those types.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { compilerEnv } = require('./compiler-env.js');

const ROOT = path.join(__dirname, '..');
const TSC = require.resolve('typescript/bin/tsc');

function* goldenResults(dir = path.join(__dirname, 'golden')) {
  for (const entry of fs.readdirSync(dir, { withFileTypes: true }).sort((a, b) => a.name.localeCompare(b.name))) {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) yield* goldenResults(full);
    else if (entry.name.endsWith('.json') && !/(^|\.)config\.json$/.test(entry.name)) yield full;
  }
}

function compile(files) {
  const out = spawnSync(process.execPath, [
    TSC, '--noEmit', '--strict', '--target', 'es2022', '--module', 'node16', '--moduleResolution', 'node16',
    '--types', 'node', ...files,
  ], { cwd: ROOT, encoding: 'utf8', timeout: 120000, env: compilerEnv() });
  assert.equal(out.error, undefined);
  return out;
}

test('the declared types compile against their use and against every golden result', () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vexa-types-'));
  try {
    const index = path.join(ROOT, 'index').split(path.sep).join('/');
    const lines = [`import type { ParseResult } from '${index}';`];
    let count = 0;
    for (const file of goldenResults()) {
      const name = path.relative(ROOT, file);
      lines.push(`// ${name}`, `export const r${count++} = ${fs.readFileSync(file, 'utf8').trim()} satisfies ParseResult;`);
    }
    assert.ok(count > 0);
    const golden = path.join(dir, 'golden.ts');
    fs.writeFileSync(golden, lines.join('\n') + '\n');
    const out = compile([path.join(__dirname, 'types', 'usage.ts'), golden]);
    assert.equal(out.status, 0, out.stdout + out.stderr);
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

test('the language server\'s JavaScript type-checks against the package\'s own types', () => {
  const out = spawnSync(process.execPath, [TSC, '-p', path.join(ROOT, 'lib', 'server', 'tsconfig.json')], {
    cwd: ROOT, encoding: 'utf8', timeout: 120000, env: compilerEnv(),
  });
  assert.equal(out.error, undefined);
  assert.equal(out.status, 0, out.stdout + out.stderr);
});
