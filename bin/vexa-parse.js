#!/usr/bin/env node
'use strict';
// vexa-parse: parses VEXA source files and prints their diagnostics the way compilers do
// (file:line:column: severity code: message, the source line and a caret underline), or the
// results as JSON (--json) or as an outline of the nodes (--tree).
//
// Exit status: 0 without errors, 1 when any file has an error, 2 on a usage or file error.
const fs = require('node:fs');
const path = require('node:path');
const { parseArgs } = require('node:util');
const { parse, keywords } = require('..');
const { format } = require('../lib/messages.js');
const { kindOf } = require('../lib/node-kinds.js');

const HELP = `Usage: vexa-parse [options] <file ...>
Parses VEXA source files ("-" reads standard input) and prints their diagnostics.

Options:
  --json              print each file's result object as one line of JSON
  --tree              print the nodes as an indented outline
  --keywords FILE     read the keyword lists (instructions, precodes, directives, commands)
                      from a JSON file instead of the default set
  --strict            strict rules: names and keywords compare exactly
  --strict-keywords   keyword tables match only the words as written
  --no-blocks         do not read block tags in comments
  --limit N           report at most N diagnostics per file (0: all, the default)
  --dialect N         the dialect number handed to the parser (default 0)
  --help              show this help
  --version           show the version

Exit status: 0 without errors, 1 when a file has an error, 2 on a usage or file error.`;

const OPTIONS = {
  json: { type: 'boolean' },
  tree: { type: 'boolean' },
  keywords: { type: 'string' },
  strict: { type: 'boolean' },
  'strict-keywords': { type: 'boolean' },
  'no-blocks': { type: 'boolean' },
  limit: { type: 'string' },
  dialect: { type: 'string' },
  help: { type: 'boolean' },
  version: { type: 'boolean' },
};

// A usage error ends the run with status 2. Thrown rather than exiting on the spot, so that the
// process ends the ordinary way, its resources released.
class UsageError extends Error {}

function usage(message) {
  throw new UsageError(message);
}

function wholeNumber(text, option) {
  if (!/^\d+$/.test(text) || Number(text) > 0xffffffff) usage(`${option} takes a whole number`);
  return Number(text);
}

function colours(stream) {
  const forced = process.env.FORCE_COLOR;
  const on = forced !== undefined ? forced !== '0' && forced !== 'false'
    : stream.isTTY === true && !('NO_COLOR' in process.env);
  const paint = (code) => (text) => (on ? `\x1b[${code}m${text}\x1b[0m` : text);
  return { bold: paint('1'), error: paint('1;31'), warning: paint('1;33'), caret: paint('1;32') };
}

// The source line of a range and a caret line under it, in UTF-8 characters as ranges count them.
function excerpt(lines, range, paint) {
  const text = (lines[range.start.line] ?? '').replace(/\r$/, '');
  const chars = Array.from(text);
  const start = Math.min(range.start.character, chars.length);
  const end = range.end.line === range.start.line ? range.end.character : chars.length;
  const pad = chars.slice(0, start).map((c) => (c === '\t' ? '\t' : ' ')).join('');
  const width = Math.max(1, Math.min(end, chars.length + 1) - start);
  return `${text}\n${pad}${paint.caret('^' + '~'.repeat(width - 1))}`;
}

function report(file, source, result, paint) {
  const lines = source.toString('utf8').split('\n');
  const out = [];
  for (const d of result.diagnostics) {
    const severity = d.severity === 1 ? paint.error('error') : paint.warning('warning');
    const at = d.range ? `:${d.range.start.line + 1}:${d.range.start.character + 1}` : '';
    out.push(`${paint.bold(`${file}${at}:`)} ${severity} ${d.code}: ${format(d)}`);
    if (d.range) out.push(excerpt(lines, d.range, paint));
  }
  return out;
}

function outline(node, depth, out) {
  const pad = '  '.repeat(depth);
  const { start, end } = node.range;
  const where = `${start.line + 1}:${start.character + 1}-${end.line + 1}:${end.character + 1}`;
  const scalars = [];
  const lists = [];
  for (const [key, value] of Object.entries(node)) {
    if (key === 'range' || key === 'type' || key === 'filePath') continue;
    if (Array.isArray(value) && value.every((v) => v && typeof v === 'object')) lists.push([key, value]);
    else if (value && typeof value === 'object') lists.push([key, [value]]);
    else scalars.push(`${key}=${JSON.stringify(value)}`);
  }
  out.push(`${pad}${kindOf(node)} ${where}${scalars.length ? ' ' + scalars.join(' ') : ''}`);
  for (const [key, children] of lists) {
    if (children.length === 0) continue;
    out.push(`${pad}  ${key}:`);
    for (const child of children) outline(child, depth + 2, out);
  }
}

function plural(count, word) {
  return `${count} ${word}${count === 1 ? '' : 's'}`;
}

async function readSource(file) {
  if (file !== '-') return fs.promises.readFile(file);
  const chunks = [];
  for await (const chunk of process.stdin) chunks.push(chunk);
  return Buffer.concat(chunks);
}

async function main() {
  // A reader that stops early (`| head`) is no error of ours.
  process.stdout.on('error', (error) => {
    if (error.code === 'EPIPE') process.exit(process.exitCode ?? 0);
    throw error;
  });
  let parsed;
  try {
    parsed = parseArgs({ options: OPTIONS, allowPositionals: true });
  } catch (error) {
    usage(error.message);
  }
  const { values, positionals } = parsed;
  if (values.help) return void process.stdout.write(`${HELP}\n`);
  if (values.version) {
    const { version } = require('../package.json');
    return void process.stdout.write(`${version}\n`);
  }
  if (positionals.length === 0) usage('no input files');
  if (values.json && values.tree) usage('--json and --tree exclude each other');

  let words = require('../lib/default-keywords.json');
  if (values.keywords) {
    try {
      words = JSON.parse(fs.readFileSync(values.keywords, 'utf8'));
    } catch (error) {
      usage(`cannot read keywords from ${values.keywords}: ${error.message}`);
    }
  }
  const rules = {
    'core.strict': values.strict === true,
    'core.dialect': values.dialect === undefined ? 0 : wholeNumber(values.dialect, '--dialect'),
    'syntax.parseBlocks': values['no-blocks'] !== true,
    'diagnostic.limit': values.limit === undefined ? 0 : wholeNumber(values.limit, '--limit'),
  };
  let table;
  try {
    table = keywords(words, values['strict-keywords'] === true);
  } catch (error) {
    usage(`bad keyword lists: ${error.message}`);
  }

  const paint = colours(process.stdout);
  const progress = positionals.length > 4 && process.stderr.isTTY === true;
  let done = 0;
  // Every file is read and parsed at once; results are printed in the order the files were given.
  const jobs = positionals.map(async (file) => {
    try {
      const source = await readSource(file);
      const result = await parse(file === '-' ? '<stdin>' : file, source, table.reference, rules);
      return { file, source, result };
    } catch (error) {
      return { file, error };
    } finally {
      done++;
      if (progress) process.stderr.write(`\r\x1b[Kparsing ${done}/${positionals.length} ${path.basename(file)}`);
    }
  });
  const outcomes = await Promise.all(jobs);
  if (progress) process.stderr.write('\r\x1b[K');
  table.dispose();

  let errors = 0;
  let warnings = 0;
  let failedFiles = 0;
  for (const { file, source, result, error } of outcomes) {
    if (error) {
      failedFiles++;
      process.stderr.write(`vexa-parse: ${file}: ${error.code === 'ENOENT' ? 'no such file' : error.message}\n`);
      continue;
    }
    for (const d of result.diagnostics) d.severity === 1 ? errors++ : warnings++;
    if (values.json) {
      process.stdout.write(`${JSON.stringify(result)}\n`);
    } else if (values.tree) {
      const out = [paint.bold(file)];
      for (const node of result.nodes) outline(node, 1, out);
      process.stdout.write(`${out.join('\n')}\n`);
    } else {
      const out = report(file, source, result, paint);
      if (out.length) process.stdout.write(`${out.join('\n')}\n`);
    }
  }
  if (!values.json) {
    const parsedFiles = outcomes.length - failedFiles;
    process.stdout.write(`${plural(errors, 'error')}, ${plural(warnings, 'warning')} in ${plural(parsedFiles, 'file')}\n`);
  }
  process.exitCode = failedFiles > 0 ? 2 : errors > 0 ? 1 : 0;
}

main().catch((error) => {
  if (!(error instanceof UsageError)) throw error;
  process.stderr.write(`vexa-parse: ${error.message}\nTry 'vexa-parse --help'.\n`);
  process.exitCode = 2;
});
