#!/usr/bin/env node
'use strict';
// vexa-language-server: the VEXA language server over standard input and output
// (`vexa-language-server --stdio`). VEXA_LANGUAGE_SERVER_TEST_HOOKS=1 lets a test hold each
// parse until it releases it (see lib/server/test-hooks.js).
const { createConnection, ProposedFeatures } = require('vscode-languageserver/node');

if (process.argv.includes('--help')) {
  process.stdout.write('Usage: vexa-language-server --stdio\nThe VEXA language server, speaking the Language Server Protocol over standard input and output.\n');
  process.exit(0);
}
if (!process.argv.includes('--stdio')) process.argv.push('--stdio');

const { startServer } = require('../lib/server/server.js');
const connection = createConnection(ProposedFeatures.all);
const hooks = process.env.VEXA_LANGUAGE_SERVER_TEST_HOOKS === '1' ? require('../lib/server/test-hooks.js').testHooks(connection) : undefined;
startServer(connection, { hooks });
