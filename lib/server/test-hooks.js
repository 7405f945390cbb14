'use strict';
// Hooks for the protocol tests, enabled only by VEXA_LANGUAGE_SERVER_TEST_HOOKS=1: each parse
// announces itself ("vexa/test/parseStarted") and waits until the test releases it
// ("vexa/test/releaseParse", optionally making it fail), so that the order of parses and
// publications is decided by the test's messages, never by timing.

/** @param {import('vscode-languageserver').Connection} connection */
function testHooks(connection) {
  /** @type {Map<string, { resolve: () => void, reject: (e: Error) => void }>} */
  const held = new Map();
  connection.onNotification('vexa/test/releaseParse', (/** @type {{ uri: string, version: number, fail?: boolean }} */ p) => {
    const key = `${p.version} ${p.uri}`;
    const gate = held.get(key);
    if (!gate) return;
    held.delete(key);
    if (p.fail) gate.reject(new Error('made to fail by the test'));
    else gate.resolve();
  });
  return {
    /** @param {string} uri @param {number} version */
    beforeParse(uri, version) {
      return new Promise((resolve, reject) => {
        held.set(`${version} ${uri}`, { resolve: () => resolve(undefined), reject });
        connection.sendNotification('vexa/test/parseStarted', { uri, version }).catch(() => {});
      });
    },
  };
}

module.exports = { testHooks };
