'use strict';
// Neovim, headless, as a real editor client: its built-in client starts the language server on a
// file of a project with a vexa.json, and the diagnostics, a definition, references and a rename
// it ends up with are compared with what the server must give. Skipped, with the reason shown,
// where Neovim is not installed.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawn, spawnSync } = require('node:child_process');
const { SERVER, serverEnv } = require('./lsp-client.js');

const nvim = spawnSync('nvim', ['--version'], { encoding: 'utf8', env: serverEnv() });
const missing = nvim.error ? 'Neovim (nvim) is not installed: apt-get install -y neovim' : false;

const SOURCE = ['LIMIT EQU 10', 'LOOP:', '    MOV A, LIMIT', '    MOV B, #300', '    JMP loop', ''].join('\n');

test('Neovim\'s built-in client shows diagnostics and finds definitions, references and renames', { skip: missing }, async (t) => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vexa-nvim-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  fs.writeFileSync(path.join(dir, 'vexa.json'), '{ "keywords": { "instructions": ["MOV", "JMP"] } }\n');
  fs.mkdirSync(path.join(dir, 'src'));
  const file = path.join(dir, 'src', 'main.vx');
  fs.writeFileSync(file, SOURCE);
  const output = path.join(dir, 'out.json');
  const child = spawn('nvim', ['--headless', '--clean', '-c', `luafile ${path.join(__dirname, 'editor', 'neovim.lua')}`], {
    cwd: dir,
    stdio: ['ignore', 'ignore', 'pipe'],
    env: serverEnv({ VEXA_ROOT: dir, VEXA_FILE: file, VEXA_OUT: output, VEXA_NODE: process.execPath, VEXA_SERVER: SERVER }),
  });
  let stderr = '';
  child.stderr.on('data', (d) => { stderr += d; });
  // Only a guard against a hung editor: the script's own waits end as soon as their condition holds.
  const guard = setTimeout(() => child.kill(), 180000);
  const code = await new Promise((resolve) => child.on('exit', resolve));
  clearTimeout(guard);
  assert.ok(fs.existsSync(output), `Neovim wrote nothing (status ${code})\n${stderr}`);
  const seen = JSON.parse(fs.readFileSync(output, 'utf8'));
  t.diagnostic(`Neovim saw: ${JSON.stringify(seen)}`);
  assert.equal(seen.error, undefined, seen.error);
  assert.deepStrictEqual(seen.diagnostics, [{
    lnum: 3, col: 11, end_lnum: 3, end_col: 15, severity: 2, message: 'number after "#" is greater than 255', source: 'vexa',
  }]);
  assert.deepStrictEqual(seen.definition, [[0, 0, 0, 5]]);
  assert.deepStrictEqual(seen.references, [[1, 0, 1, 4], [4, 8, 4, 12]]);
  assert.deepStrictEqual(seen.renamed, ['LIMIT EQU 10', 'START:', '    MOV A, LIMIT', '    MOV B, #300', '    JMP START']);
  assert.equal(code, 0);
});
