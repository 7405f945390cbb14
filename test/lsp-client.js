'use strict';
// A protocol client for the language server tests and benchmark: starts the server binary,
// talks to it over its standard streams with the protocol library's connection, and records
// what the server sends of its own accord (diagnostics, test-hook notifications).
const { spawn } = require('node:child_process');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const {
  createProtocolConnection, StreamMessageReader, StreamMessageWriter,
} = require('vscode-languageserver-protocol/node');

const SERVER = path.join(__dirname, '..', 'bin', 'vexa-language-server.js');

/**
 * @param {object} [options]
 * @param {boolean} [options.utf32]        offer utf-32 positions
 * @param {string} [options.root]          the workspace folder
 * @param {boolean} [options.hooks]        hold each parse until released
 * @param {object} [options.capabilities]  more client capabilities
 * @param {number} [options.processId]     the client process the server watches (this one by default)
 */
/**
 * The environment for a server process (or an editor that starts one). The server ends with
 * process.exit, as the protocol's `exit` asks, which leaves the engine's heap allocated: under the
 * sanitizer run, leak detection would report all of it. Memory errors are still caught.
 * @param {Record<string, string>} [more]
 */
function serverEnv(more = {}) {
  const env = { ...process.env, ...more };
  if (env.ASAN_OPTIONS !== undefined) env.ASAN_OPTIONS = `${env.ASAN_OPTIONS}:detect_leaks=0`;
  return env;
}

async function startClient(options = {}) {
  const child = spawn(process.execPath, [SERVER, '--stdio'], {
    stdio: ['pipe', 'pipe', 'pipe'],
    env: serverEnv({ VEXA_LANGUAGE_SERVER_TEST_HOOKS: options.hooks ? '1' : '0' }),
  });
  let stderr = '';
  child.stderr.on('data', (d) => { stderr += d; });
  const exited = new Promise((resolve) => child.on('exit', (code, signal) => resolve({ code, signal })));
  const connection = createProtocolConnection(new StreamMessageReader(child.stdout), new StreamMessageWriter(child.stdin));
  /** @type {Array<{ method: string, params: any }>} */
  const received = [];
  /** @type {Array<() => void>} */
  let watchers = [];
  const record = (method) => (params) => {
    received.push({ method, params });
    for (const w of watchers) w();
  };
  connection.onNotification('textDocument/publishDiagnostics', record('textDocument/publishDiagnostics'));
  connection.onNotification('vexa/test/parseStarted', record('vexa/test/parseStarted'));
  connection.onNotification('window/logMessage', record('window/logMessage'));
  connection.onRequest('client/registerCapability', () => null);
  connection.onRequest('window/workDoneProgress/create', () => null);
  connection.onNotification('$/progress', record('$/progress'));
  connection.listen();

  /** Resolves with the first received message (from `from` on) that satisfies `test`. */
  function waitFor(method, test = () => true, from = 0) {
    return new Promise((resolve, reject) => {
      const check = () => {
        for (let i = from; i < received.length; i++) {
          const m = received[i];
          if (m.method === method && test(m.params)) {
            watchers = watchers.filter((w) => w !== check);
            resolve(m.params);
            return true;
          }
        }
        return false;
      };
      if (check()) return;
      watchers.push(check);
      exited.then(({ code }) => reject(new Error(`server exited (${code}) while waiting for ${method}\n${stderr}`)));
    });
  }

  const root = options.root ?? path.join(__dirname, 'fixtures');
  const init = await connection.sendRequest('initialize', {
    processId: options.processId ?? process.pid,
    rootUri: pathToFileURL(root).href,
    workspaceFolders: [{ uri: pathToFileURL(root).href, name: 'test' }],
    capabilities: {
      general: { positionEncodings: options.utf32 ? ['utf-32', 'utf-16'] : ['utf-16'] },
      workspace: { workspaceEdit: { documentChanges: true, resourceOperations: ['create'] }, didChangeWatchedFiles: { dynamicRegistration: true } },
      window: { workDoneProgress: true },
      ...options.capabilities,
    },
  });
  await connection.sendNotification('initialized', {});

  let stopped = null;
  return {
    child, connection, received, init, exited, waitFor,
    stderr: () => stderr,
    /** Opens a document and returns the diagnostics published for its first version (unless held). */
    open(uri, text, languageId = 'vexa') {
      return connection.sendNotification('textDocument/didOpen', { textDocument: { uri, languageId, version: 1, text } });
    },
    change(uri, v, contentChanges) {
      return connection.sendNotification('textDocument/didChange', { textDocument: { uri, version: v }, contentChanges });
    },
    diagnostics(uri, v, from = 0) {
      return waitFor('textDocument/publishDiagnostics', (p) => p.uri === uri && (v === undefined || p.version === v), from);
    },
    request(method, params) {
      return connection.sendRequest(method, params);
    },
    async stop() {
      if (stopped) return stopped;
      stopped = stopping();
      return stopped;
    },
  };
  /** Shutdown and exit, or a kill when the server no longer answers; resolves with its status. */
  async function stopping() {
    if (child.exitCode === null && child.signalCode === null) {
      try {
        await connection.sendRequest('shutdown');
        await connection.sendNotification('exit');
      } catch {
        child.kill();
      }
    }
    const status = await exited;
    connection.dispose();
    return status;
  }
}

module.exports = { startClient, serverEnv, SERVER };
