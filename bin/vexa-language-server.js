#!/usr/bin/env node
'use strict';
// vexa-language-server: the VEXA language server over standard input and output
// (`vexa-language-server --stdio`). VEXA_LANGUAGE_SERVER_TEST_HOOKS=1 lets a test hold each
// parse until it releases it (see lib/server/test-hooks.js).
const { createConnection, ProposedFeatures } = require('vscode-languageserver/node');
const { StreamMessageReader, StreamMessageWriter } = require('vscode-languageserver/node');

if (process.argv.includes('--help')) {
  process.stdout.write('Usage: vexa-language-server --stdio\nThe VEXA language server, speaking the Language Server Protocol over standard input and output.\n');
  process.exit(0);
}

// After a malformed header the library's reader drops that header but leaves whatever arrived
// with it unread until more input comes; reading on at once keeps the messages behind it moving.
class Reader extends StreamMessageReader {
  /** @param {any} error */
  fireError(error) {
    super.fireError(error);
    setImmediate(() => /** @type {any} */ (this).onData(Buffer.alloc(0)));
  }
}

const { startServer } = require('../lib/server/server.js');
const connection = createConnection(ProposedFeatures.all, new Reader(process.stdin), new StreamMessageWriter(process.stdout));
let shutDown = false;
connection.onShutdown(() => {
  shutDown = true;
});
// Given its own reader, the library no longer watches the input: the server ends with it.
for (const event of ['end', 'close']) process.stdin.on(event, () => process.exit(shutDown ? 0 : 1));
const hooks = process.env.VEXA_LANGUAGE_SERVER_TEST_HOOKS === '1' ? require('../lib/server/test-hooks.js').testHooks(connection) : undefined;
startServer(connection, { hooks });
