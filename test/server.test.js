'use strict';
// The language server through the protocol, as an editor drives it: the binary started with
// --stdio and spoken to by the protocol library's client connection. Parse order is decided by
// the test through the server's test hooks (each parse waits for its release), never by timing.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawn } = require('node:child_process');
const { pathToFileURL } = require('node:url');
const { startClient } = require('./lsp-client.js');

/** A project folder with a vexa.json (settings of its own, so nothing above it applies). */
function project(files) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vexa-server-'));
  for (const [name, text] of Object.entries({ 'vexa.json': '{}\n', ...files })) {
    fs.mkdirSync(path.dirname(path.join(dir, name)), { recursive: true });
    if (text !== null) fs.writeFileSync(path.join(dir, name), text);
  }
  return { dir, uri: (name) => pathToFileURL(path.join(dir, name)).href, remove: () => fs.rmSync(dir, { recursive: true, force: true }) };
}

const range = (l1, c1, l2, c2) => ({ start: { line: l1, character: c1 }, end: { line: l2, character: c2 } });
const brief = (diagnostics) => diagnostics.map((d) => [d.code, d.severity, d.range, d.message, d.source]);

test('diagnostics land on the right characters in both encodings, with astral characters, CR LF and CR-only lines', async (t) => {
  const p = project({});
  t.after(p.remove);
  // The parser counts code points and breaks lines only at LF; each case gives the editor's
  // ranges in UTF-16 and in code points.
  const cases = [
    {
      name: 'astral characters before the range',
      text: '    MOV "😀😀", #300\n',
      utf16: [['VEXA1305', 2, range(0, 16, 0, 20), 'number after "#" is greater than 255', 'vexa']],
      utf32: [['VEXA1305', 2, range(0, 14, 0, 18), 'number after "#" is greater than 255', 'vexa']],
    },
    {
      name: 'CR LF line ends',
      text: 'X: NOP\r\n    MOV "😀", #300\r\n',
      utf16: [
        ['VEXA1203', 1, range(0, 3, 0, 6), 'unexpected token after the end of the statement', 'vexa'],
        ['VEXA1305', 2, range(1, 14, 1, 18), 'number after "#" is greater than 255', 'vexa'],
      ],
      utf32: [
        ['VEXA1203', 1, range(0, 3, 0, 6), 'unexpected token after the end of the statement', 'vexa'],
        ['VEXA1305', 2, range(1, 13, 1, 17), 'number after "#" is greater than 255', 'vexa'],
      ],
    },
    {
      name: 'CR-only line ends: one parser line, three editor lines',
      // The parser reads on past each CR (so MOV follows the label on its line) and puts the
      // CR's warning on the token before it together with the CR.
      text: 'L1:\r    MOV "😀", #300\r    MOV #999\r',
      utf16: [
        ['VEXA1201', 2, range(0, 2, 1, 0), 'carriage return without a line feed', 'vexa'],
        ['VEXA1203', 1, range(1, 4, 1, 7), 'unexpected token after the end of the statement', 'vexa'],
        ['VEXA1305', 2, range(1, 14, 1, 18), 'number after "#" is greater than 255', 'vexa'],
        ['VEXA1201', 2, range(1, 14, 2, 0), 'carriage return without a line feed', 'vexa'],
        ['VEXA1305', 2, range(2, 8, 2, 12), 'number after "#" is greater than 255', 'vexa'],
        ['VEXA1201', 2, range(2, 8, 3, 0), 'carriage return without a line feed', 'vexa'],
      ],
      utf32: [
        ['VEXA1201', 2, range(0, 2, 1, 0), 'carriage return without a line feed', 'vexa'],
        ['VEXA1203', 1, range(1, 4, 1, 7), 'unexpected token after the end of the statement', 'vexa'],
        ['VEXA1305', 2, range(1, 13, 1, 17), 'number after "#" is greater than 255', 'vexa'],
        ['VEXA1201', 2, range(1, 13, 2, 0), 'carriage return without a line feed', 'vexa'],
        ['VEXA1305', 2, range(2, 8, 2, 12), 'number after "#" is greater than 255', 'vexa'],
        ['VEXA1201', 2, range(2, 8, 3, 0), 'carriage return without a line feed', 'vexa'],
      ],
    },
    {
      name: 'an error and its message',
      text: 'RUN MOV R2\n',
      utf16: [
        ['VEXA1501', 2, range(0, 0, 0, 3), 'label without a colon', 'vexa'],
        ['VEXA1203', 1, range(0, 4, 0, 7), 'unexpected token after the end of the statement', 'vexa'],
      ],
    },
  ];
  for (const utf32 of [false, true]) {
    const client = await startClient({ utf32, root: p.dir });
    t.after(() => client.stop());
    assert.equal(client.init.capabilities.positionEncoding, utf32 ? 'utf-32' : 'utf-16');
    for (const [i, c] of cases.entries()) {
      const expected = utf32 ? c.utf32 ?? c.utf16 : c.utf16;
      const uri = p.uri(`case${i}.vx`);
      client.open(uri, c.text);
      const published = await client.diagnostics(uri, 1);
      assert.deepStrictEqual(brief(published.diagnostics), expected, `${c.name} (${utf32 ? 'utf-32' : 'utf-16'})`);
    }
  }
});

test('incremental changes are applied in the agreed encoding', async (t) => {
  const p = project({});
  t.after(p.remove);
  // "#3" ends 18 code units or 16 code points into the line.
  for (const [utf32, character] of [[false, 18], [true, 16]]) {
    const client = await startClient({ utf32, root: p.dir });
    t.after(() => client.stop());
    const uri = p.uri('edit.vx');
    client.open(uri, '    MOV "😀😀", #3\n');
    await client.diagnostics(uri, 1);
    client.change(uri, 2, [{ range: range(0, character, 0, character), text: '00' }]);
    const published = await client.diagnostics(uri, 2);
    assert.deepStrictEqual(published.diagnostics.map((d) => d.range), [utf32 ? range(0, 14, 0, 18) : range(0, 16, 0, 20)]);
    await client.stop();
  }
});

test('changes made while a parse runs are coalesced: the newest text is parsed next, no older result is published', async (t) => {
  const p = project({});
  t.after(p.remove);
  const client = await startClient({ root: p.dir, hooks: true });
  t.after(() => client.stop());
  const uri = p.uri('burst.vx');
  const started = () => client.received.filter((m) => m.method === 'vexa/test/parseStarted' && m.params.uri === uri).map((m) => m.params.version);
  const published = () => client.received.filter((m) => m.method === 'textDocument/publishDiagnostics' && m.params.uri === uri).map((m) => m.params.version);
  const release = (version, fail = false) => client.connection.sendNotification('vexa/test/releaseParse', { uri, version, fail });

  client.open(uri, '    MOV #1\n');
  await client.waitFor('vexa/test/parseStarted', (q) => q.uri === uri && q.version === 1);
  for (let v = 2; v <= 20; v++) client.change(uri, v, [{ text: `    MOV #${v * 100}\n` }]);
  // A request while the parse is held waits for the newest text's result.
  const symbols = client.request('textDocument/documentSymbol', { textDocument: { uri } });
  // Messages are handled in order: once this is answered, every change above has been applied.
  await client.request('textDocument/hover', { textDocument: { uri: p.uri('unknown.vx') }, position: { line: 0, character: 0 } });
  release(1);
  await client.waitFor('vexa/test/parseStarted', (q) => q.uri === uri && q.version === 20);
  assert.deepStrictEqual(started(), [1, 20]);
  assert.deepStrictEqual(published(), []);
  release(20);
  const last = await client.diagnostics(uri, 20);
  assert.deepStrictEqual(last.diagnostics.map((d) => d.code), ['VEXA1305']);
  assert.deepStrictEqual(await symbols, []);

  // A parse that rejects is reported on the document; the next change is parsed as usual.
  const from = client.received.length;
  client.change(uri, 21, [{ text: '    MOV #1\n' }]);
  await client.waitFor('vexa/test/parseStarted', (q) => q.uri === uri && q.version === 21, from);
  release(21, true);
  const failed = await client.diagnostics(uri, 21);
  assert.deepStrictEqual(brief(failed.diagnostics), [[undefined, 1, range(0, 0, 0, 0), 'the parser failed on this text: made to fail by the test', 'vexa']]);
  client.change(uri, 22, [{ text: '    MOV #700\n' }]);
  await client.waitFor('vexa/test/parseStarted', (q) => q.uri === uri && q.version === 22);
  release(22);
  assert.deepStrictEqual((await client.diagnostics(uri, 22)).diagnostics.map((d) => d.code), ['VEXA1305']);
  assert.deepStrictEqual(published(), [20, 21, 22]);

  // Closing clears the document's diagnostics.
  const before = client.received.length;
  client.connection.sendNotification('textDocument/didClose', { textDocument: { uri } });
  const cleared = await client.waitFor('textDocument/publishDiagnostics', (q) => q.uri === uri, before);
  assert.deepStrictEqual(cleared.diagnostics, []);
});

test('settings come from the nearest vexa.json and follow its changes; an invalid one is reported on it', async (t) => {
  const p = project({
    'vexa.json': '{ "keywords": { "instructions": ["MOV"] } }\n',
    'sub/a.vx': 'L1: MOV A, 4\n',
    'other/vexa.json': '{ "rules": { "core.strict": true } }\n',
  });
  t.after(p.remove);
  const client = await startClient({ root: p.dir });
  t.after(() => client.stop());
  const uri = p.uri('sub/a.vx');
  client.open(uri, 'L1: MOV A, 4\n');
  assert.deepStrictEqual((await client.diagnostics(uri, 1)).diagnostics, []);

  const changed = async (text) => {
    const from = client.received.length;
    fs.writeFileSync(path.join(p.dir, 'vexa.json'), text);
    client.connection.sendNotification('workspace/didChangeWatchedFiles', { changes: [{ uri: p.uri('vexa.json'), type: 2 }] });
    return from;
  };
  // MOV no longer an instruction: the line fails after the label.
  let from = await changed('{ "keywords": { "instructions": [] } }\n');
  assert.deepStrictEqual((await client.diagnostics(uri, 1, from)).diagnostics.map((d) => d.code), ['VEXA1203']);

  // Not JSON: reported on the file, and the defaults govern meanwhile.
  from = await changed('{ "keywords": ');
  const [onSource, onConfig] = await Promise.all([
    client.diagnostics(uri, 1, from),
    client.waitFor('textDocument/publishDiagnostics', (q) => q.uri === p.uri('vexa.json'), from),
  ]);
  assert.deepStrictEqual(onSource.diagnostics.map((d) => d.code), ['VEXA1203']);
  assert.equal(onConfig.diagnostics.length >= 1, true);
  assert.equal(onConfig.diagnostics[0].severity, 1);

  // Mended and saved in the editor: its problems are withdrawn and its lists apply again.
  from = client.received.length;
  fs.writeFileSync(path.join(p.dir, 'vexa.json'), '{ "keywords": { "instructions": ["MOV"] } }\n');
  client.connection.sendNotification('textDocument/didSave', { textDocument: { uri: p.uri('vexa.json') } });
  const [mended, withdrawn] = await Promise.all([
    client.diagnostics(uri, 1, from),
    client.waitFor('textDocument/publishDiagnostics', (q) => q.uri === p.uri('vexa.json'), from),
  ]);
  assert.deepStrictEqual(mended.diagnostics, []);
  assert.deepStrictEqual(withdrawn.diagnostics, []);

  // Open in the editor, a vexa.json is checked as typed, without touching the sources.
  const config = p.uri('vexa.json');
  client.open(config, '{ "keywords": { "instructions": ["MOV"] } }\n', 'json');
  assert.deepStrictEqual((await client.waitFor('textDocument/publishDiagnostics', (q) => q.uri === config, client.received.length)).diagnostics, []);
  from = client.received.length;
  client.change(config, 2, [{ range: range(0, 2, 0, 12), text: '"keyword"' }]);
  const typed = await client.waitFor('textDocument/publishDiagnostics', (q) => q.uri === config, from);
  assert.equal(typed.diagnostics.length, 1);
  assert.deepStrictEqual(typed.diagnostics[0].range, range(0, 2, 0, 11));
  assert.match(typed.diagnostics[0].message, /keyword/);
});

test('names compare as the parser compares them: ignoring case by default, exactly when strict', async (t) => {
  const source = 'LIMIT EQU 10\n    MOV A, limit\n    MOV B, LIMIT\n';
  const p = project({ 'loose/vexa.json': '{}\n', 'strict/vexa.json': '{ "rules": { "core.strict": true } }\n' });
  t.after(p.remove);
  const client = await startClient({ root: p.dir });
  t.after(() => client.stop());
  for (const [folder, expected] of [
    ['loose', [range(0, 0, 0, 5), range(1, 11, 1, 16), range(2, 11, 2, 16)]],
    ['strict', [range(0, 0, 0, 5), range(2, 11, 2, 16)]],
  ]) {
    const uri = p.uri(`${folder}/a.vx`);
    client.open(uri, source);
    await client.diagnostics(uri, 1);
    const refs = await client.request('textDocument/references', { textDocument: { uri }, position: { line: 2, character: 12 }, context: { includeDeclaration: true } });
    assert.deepStrictEqual(refs.map((r) => r.range), expected, folder);
  }
});

const FEATURE_SOURCE = [
  '; constants and EQU data', // 0
  '; second comment line', // 1
  'LIMIT EQU 10', // 2
  'PTR:  NV0PTR LOOP', // 3
  'LOOP:', // 4
  '    MOV A, LIMIT', // 5
  '#IF EQ(A, limit)', // 6
  '    JMP loop', // 7
  '#ELSE', // 8
  '    NOP', // 9
  '#ENDIF', // 10
  '#HMI page(b(LIMIT, h))', // 11
  'RUN NOP', // 12
  '    ', // 13
].join('\n');

test('editor features answer from the parse result', async (t) => {
  const p = project({ 'vexa.json': '{ "keywords": { "instructions": ["MOV", "JMP", "NOP"] } }\n' });
  t.after(p.remove);
  const client = await startClient({ root: p.dir });
  t.after(() => client.stop());
  const uri = p.uri('f.vx');
  client.open(uri, FEATURE_SOURCE);
  await client.diagnostics(uri, 1);
  const doc = { textDocument: { uri } };
  const at = (line, character) => ({ ...doc, position: { line, character } });
  const loc = (r) => ({ uri, range: r });
  const loopAll = [range(3, 13, 3, 17), range(4, 0, 4, 4), range(7, 8, 7, 12)];
  const limitAll = [range(2, 0, 2, 5), range(5, 11, 5, 16), range(6, 10, 6, 15), range(11, 12, 11, 17)];
  const cases = [
    ['definition of an operand', 'textDocument/definition', at(5, 13), [loc(range(2, 0, 2, 5))]],
    ['definition of an NV0 pointer target', 'textDocument/definition', at(3, 14), [loc(range(4, 0, 4, 4))]],
    ['definition from a conditional operand, in another case', 'textDocument/definition', at(6, 12), [loc(range(2, 0, 2, 5))]],
    ['definition of a format-call argument', 'textDocument/definition', at(11, 13), [loc(range(2, 0, 2, 5))]],
    ['definition where there is no name', 'textDocument/definition', at(5, 5), null],
    ['definition past the end', 'textDocument/definition', at(500, 500), null],
    ['references with the declaration', 'textDocument/references', { ...at(7, 9), context: { includeDeclaration: true } }, loopAll.map(loc)],
    ['references without it', 'textDocument/references', { ...at(4, 1), context: { includeDeclaration: false } }, [loopAll[0], loopAll[2]].map(loc)],
    ['highlight', 'textDocument/documentHighlight', at(2, 1), limitAll.map((r, i) => ({ range: r, kind: i === 0 ? 3 : 2 }))],
    ['prepare rename on a name', 'textDocument/prepareRename', at(7, 10), { range: range(7, 8, 7, 12), placeholder: 'loop' }],
    ['prepare rename on an instruction', 'textDocument/prepareRename', at(5, 5), null],
    ['rename', 'textDocument/rename', { ...at(4, 2), newName: 'TOP' }, { changes: { [uri]: loopAll.map((r) => ({ range: r, newText: 'TOP' })) } }],
    ['hover on a name', 'textDocument/hover', at(5, 12), {
      range: range(5, 11, 5, 16),
      contents: { kind: 'markdown', value: '`LIMIT`: EQU constant, defined on line 3\n\n```vexa\nLIMIT EQU 10\n```' },
    }],
    ['hover on an instruction', 'textDocument/hover', at(9, 5), {
      range: range(9, 4, 9, 7),
      contents: { kind: 'markdown', value: `\`NOP\`: instruction, in the "instructions" list of ${path.join(p.dir, 'vexa.json')}` },
    }],
    ['hover on a directive', 'textDocument/hover', at(3, 7), {
      range: range(3, 6, 3, 12),
      contents: { kind: 'markdown', value: `\`NV0PTR\`: directive, in the "directives" list of ${path.join(p.dir, 'vexa.json')}` },
    }],
    ['hover on nothing', 'textDocument/hover', at(13, 2), null],
    ['hover on a keyword in a comment', 'textDocument/hover', at(0, 17), null],
    ['folding', 'textDocument/foldingRange', doc, [
      { startLine: 6, endLine: 9 }, { startLine: 6, endLine: 7 }, { startLine: 8, endLine: 9 },
      { startLine: 0, endLine: 1, kind: 'comment' },
    ]],
    ['code action for a missing colon', 'textDocument/codeAction', {
      ...doc, range: range(12, 0, 12, 3),
      context: { diagnostics: [{ range: range(12, 0, 12, 3), severity: 2, code: 'VEXA1501', source: 'vexa', message: 'label without a colon' }] },
    }, [{
      title: 'Add the colon after the label', kind: 'quickfix', isPreferred: true,
      diagnostics: [{ range: range(12, 0, 12, 3), severity: 2, code: 'VEXA1501', source: 'vexa', message: 'label without a colon' }],
      edit: { changes: { [uri]: [{ range: range(12, 3, 12, 3), newText: ':' }] } },
    }]],
  ];
  for (const [name, method, params, expected] of cases) {
    assert.deepStrictEqual(await client.request(method, params), expected, name);
  }
  // Rename refuses what is not one name, and keywords.
  for (const newName of ['EQU', 'mov', 'A B', '1X', '', 'X;']) {
    await assert.rejects(client.request('textDocument/rename', { ...at(4, 2), newName }), /not a name/, newName);
  }
  // Nor does it merge two labels into one.
  await assert.rejects(client.request('textDocument/rename', { ...at(4, 2), newName: 'limit' }), /already defined/);
  // A change of letter case alone is a rename like any other.
  assert.deepStrictEqual(await client.request('textDocument/rename', { ...at(4, 2), newName: 'Loop' }),
    { changes: { [uri]: loopAll.map((r) => ({ range: r, newText: 'Loop' })) } });
});

test('document symbols nest what conditionals hold', async (t) => {
  const p = project({});
  t.after(p.remove);
  const client = await startClient({ root: p.dir });
  t.after(() => client.stop());
  const uri = p.uri('s.vx');
  client.open(uri, FEATURE_SOURCE.replace('    JMP loop', 'IN: JMP loop'));
  await client.diagnostics(uri, 1);
  const strip = (list) => list.map((s) => [s.name, s.kind, s.detail, s.range.start.line, s.range.end.line, strip(s.children)]);
  assert.deepStrictEqual(strip(await client.request('textDocument/documentSymbol', { textDocument: { uri } })), [
    ['LIMIT', 14, 'EQU constant', 2, 2, []],
    ['PTR', 13, 'NV0 pointer', 3, 3, []],
    ['LOOP', 12, 'label', 4, 4, []],
    ['#IF', 23, undefined, 6, 9, [
      ['#IF EQ', 17, undefined, 6, 7, [['IN', 12, 'label', 7, 7, []]]],
      ['#ELSE', 17, undefined, 9, 9, []],
    ]],
    ['#HMI', 3, 'page', 11, 11, []],
    ['RUN', 12, 'label', 12, 12, []],
  ]);
});

test('completion offers what may stand at the position, in the lists\' letter case', async (t) => {
  const p = project({ 'vexa.json': '{ "keywords": { "instructions": ["Mov", "NOP"], "precodes": ["NOJ"], "directives": ["EQU"], "commands": ["#HMI"] } }\n' });
  t.after(p.remove);
  const client = await startClient({ root: p.dir });
  t.after(() => client.stop());
  const uri = p.uri('c.vx');
  const lines = ['LIMIT EQU 1', '', '    ', 'L2: ', '    NOJ: ', '#', '    Mov A, ', '; comment '];
  client.open(uri, lines.join('\n'));
  await client.diagnostics(uri, 1);
  const labels = async (line) => {
    const items = await client.request('textDocument/completion', { textDocument: { uri }, position: { line, character: lines[line].length } });
    return items.map((i) => i.label);
  };
  const cases = [
    [1, ['LIMIT', 'L2', 'EQU']],
    [2, ['NOJ', 'Mov', 'NOP', 'EQU']],
    [3, ['NOJ', 'Mov', 'NOP', 'EQU']],
    [4, ['Mov', 'NOP']],
    [5, ['#HMI', '#IF', '#ELSEIF', '#ELSE', '#ENDIF']],
    [6, ['LIMIT', 'L2']],
    [7, []],
  ];
  for (const [line, expected] of cases) assert.deepStrictEqual(await labels(line), expected, `line ${line}: ${JSON.stringify(lines[line])}`);
});

test('semantic tokens cover the nodes with standard types', async (t) => {
  const p = project({ 'vexa.json': '{ "keywords": { "instructions": ["MOV"] } }\n' });
  t.after(p.remove);
  const client = await startClient({ root: p.dir, utf32: true });
  t.after(() => client.stop());
  const uri = p.uri('t.vx');
  client.open(uri, 'K EQU 5\n    MOV "😀", K\n#HMI page(1)\n');
  await client.diagnostics(uri, 1);
  const legend = client.init.capabilities.semanticTokensProvider.legend.tokenTypes;
  const { data } = await client.request('textDocument/semanticTokens/full', { textDocument: { uri } });
  const tokens = [];
  let line = 0;
  let character = 0;
  for (let i = 0; i < data.length; i += 5) {
    line += data[i];
    character = data[i] === 0 ? character + data[i + 1] : data[i + 1];
    tokens.push([line, character, data[i + 2], legend[data[i + 3]], data[i + 4]]);
  }
  assert.deepStrictEqual(tokens, [
    [0, 0, 1, 'variable', 3],
    [0, 6, 1, 'number', 0],
    [1, 4, 3, 'function', 0],
    [1, 8, 3, 'string', 0],
    [1, 13, 1, 'variable', 0],
    [2, 0, 4, 'macro', 0],
    [2, 5, 4, 'method', 0],
    [2, 10, 1, 'number', 0],
  ]);
});

test('an unknown word where an instruction belongs can be added to the governing vexa.json, or to a new one', async (t) => {
  const p = project({ 'with/vexa.json': '{\n  "strictKeywords": false\n}\n', 'vexa.json': null });
  t.after(p.remove);
  const client = await startClient({ root: p.dir });
  t.after(() => client.stop());
  const action = async (name) => {
    const uri = p.uri(name);
    client.open(uri, 'L1: ZAP A\n');
    const { diagnostics } = await client.diagnostics(uri, 1);
    assert.deepStrictEqual(diagnostics.map((d) => d.code), ['VEXA1203']);
    return client.request('textDocument/codeAction', { textDocument: { uri }, range: diagnostics[0].range, context: { diagnostics } });
  };
  const [existing] = await action('with/a.vx');
  assert.equal(existing.title, 'Add "ZAP" to the instructions of vexa.json');
  assert.deepStrictEqual(existing.edit, { changes: { [p.uri('with/vexa.json')]: [{
    range: range(0, 0, 3, 0),
    newText: '{\n  "strictKeywords": false,\n  "keywords": {\n    "instructions": [\n      "ZAP"\n    ]\n  }\n}\n',
  }] } });
  if (fs.existsSync(path.join(os.tmpdir(), 'vexa.json'))) return t.skip('a vexa.json above the temporary folder governs the project');
  const [created] = await action('without/b.vx');
  assert.equal(created.title, 'Add "ZAP" to the instructions of a new vexa.json');
  const [create, edit] = created.edit.documentChanges;
  assert.deepStrictEqual(create, { kind: 'create', uri: p.uri('vexa.json'), options: { ignoreIfExists: true } });
  assert.deepStrictEqual(edit, {
    textDocument: { uri: p.uri('vexa.json'), version: null },
    edits: [{ range: range(0, 0, 0, 0), newText: '{\n  "keywords": {\n    "instructions": [\n      "ZAP"\n    ]\n  }\n}\n' }],
  });
});

test('workspace symbols come from every source file, indexed in the background with progress', async (t) => {
  const p = project({ 'a.vx': 'ALPHA EQU 1\nBETA:\n', 'deep/er/b.vx': 'ALPHABET: NV0SPACE 4\n', 'node_modules/x/c.vx': 'ALPHA_HIDDEN EQU 1\n' });
  t.after(p.remove);
  const client = await startClient({ root: p.dir });
  t.after(() => client.stop());
  const found = await client.request('workspace/symbol', { query: 'alpha' });
  assert.deepStrictEqual(found.map((s) => [s.name, s.location.uri, s.location.range]).sort(), [
    ['ALPHA', p.uri('a.vx'), range(0, 0, 0, 5)],
    ['ALPHABET', p.uri('deep/er/b.vx'), range(0, 0, 0, 8)],
  ]);
  const kinds = client.received.filter((m) => m.method === '$/progress').map((m) => m.params.value.kind);
  assert.equal(kinds[0], 'begin');
  assert.equal(kinds.at(-1), 'end');

  // Files the editor's watcher reports are indexed again, or dropped.
  fs.writeFileSync(path.join(p.dir, 'new.vx'), 'ALPHA_NEW EQU 2\n');
  fs.rmSync(path.join(p.dir, 'a.vx'));
  client.connection.sendNotification('workspace/didChangeWatchedFiles', { changes: [{ uri: p.uri('new.vx'), type: 1 }, { uri: p.uri('a.vx'), type: 3 }] });
  const names = (await client.request('workspace/symbol', { query: 'alpha' })).map((s) => s.name).sort();
  assert.deepStrictEqual(names, ['ALPHABET', 'ALPHA_NEW']);
});

test('the server survives hostile input', async (t) => {
  const p = project({});
  t.after(p.remove);
  const client = await startClient({ root: p.dir });
  t.after(() => client.stop());
  // Unknown documents and positions past the end.
  const unknown = { textDocument: { uri: p.uri('nowhere.vx') }, position: { line: 1e6, character: 1e6 } };
  for (const method of ['textDocument/definition', 'textDocument/hover', 'textDocument/references', 'textDocument/completion']) {
    assert.equal(await client.request(method, { ...unknown, context: { includeDeclaration: true } }), null, method);
  }
  // Every byte value, lone surrogates, and a document far larger than any source.
  let every = '';
  for (let i = 0; i < 256; i++) every += String.fromCharCode(i);
  const hostile = [
    ['bytes.vx', `${every}\n    MOV ${every}\n\ud800 \udc00 #${every}\r\r\n`],
    ['huge.vx', `; ${'x'.repeat(1023)}\n`.repeat(64 * 1024)],
  ];
  for (const [name, text] of hostile) {
    const uri = p.uri(name);
    client.open(uri, text);
    const published = await client.diagnostics(uri, 1);
    assert.ok(Array.isArray(published.diagnostics), name);
    const end = await client.request('textDocument/hover', { textDocument: { uri }, position: { line: 1e9, character: 1e9 } });
    assert.equal(end, null, name);
  }
  // Malformed headers and JSON on the input: the requests after them are still answered.
  const frame = (body) => `Content-Length: ${Buffer.byteLength(body)}\r\n\r\n${body}`;
  client.child.stdin.write('Content-Length: many\r\n\r\nno header here\r\n\r\n' + frame('{"jsonrpc": "2.0", "id": 99, "method":'));
  assert.deepStrictEqual(await client.request('textDocument/documentSymbol', { textDocument: { uri: p.uri('bytes.vx') } }).then((s) => Array.isArray(s)), true);
});

test('exit status: 0 after shutdown, 1 without it, and the server ends with its input or its client', async (t) => {
  const p = project({});
  t.after(p.remove);
  const shutdown = await startClient({ root: p.dir });
  assert.deepStrictEqual(await shutdown.stop(), { code: 0, signal: null });

  const abrupt = await startClient({ root: p.dir });
  await abrupt.connection.sendNotification('exit');
  assert.deepStrictEqual(await abrupt.exited, { code: 1, signal: null });

  const closed = await startClient({ root: p.dir });
  closed.child.stdin.end();
  assert.deepStrictEqual(await closed.exited, { code: 1, signal: null });

  // A client process that dies: the server watches the process id it was given.
  const stand = spawn(process.execPath, ['-e', 'setInterval(() => {}, 1000)'], { stdio: 'ignore' });
  const orphan = await startClient({ root: p.dir, processId: stand.pid });
  stand.kill();
  assert.deepStrictEqual(await orphan.exited, { code: 1, signal: null });
});
