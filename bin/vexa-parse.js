#!/usr/bin/env node
'use strict';
// vexa-parse: parses VEXA source files and prints their diagnostics the way compilers do
// (file:line:column: severity code: message, a window of the source line and a caret underline),
// or the results as JSON (--json) or as an outline of the nodes (--tree).
//
// Settings come from the nearest vexa.json to each file (or --config FILE); options given on the
// command line win over them. Files are parsed a few at a time and reported in the order given,
// each as soon as it and those before it are done.
//
// Exit status: 0 without errors, 1 when any file has an error, 2 on a usage, settings or file error.
const os = require('node:os');
const path = require('node:path');
const fs = require('node:fs');
const { parseArgs } = require('node:util');
const { parse, keywords } = require('..');
const config = require('../lib/config.js');
const { makeReader, reason } = require('../lib/cli/input.js');
const { Output } = require('../lib/cli/output.js');
const { visible } = require('../lib/cli/visible.js');
const { writeDiagnostics, writeTree, writeJson, nulPosition } = require('../lib/cli/report.js');
const { unknownWord, note } = require('../lib/cli/hint.js');

const HELP = `Usage: vexa-parse [options] <file ...>
Parses VEXA source files ("-" reads standard input) and prints their diagnostics.

Options:
  --json              print each file's result as one line of JSON, with its "file"
  --tree              print the nodes as an indented outline
  --config FILE       read the settings from FILE instead of the nearest vexa.json
  --keywords FILE     read the keyword lists (instructions, precodes, directives, commands)
                      from a JSON file, over those of the settings
  --strict            strict rules: names and keywords compare exactly
  --strict-keywords   keyword tables match only the words as written
  --no-blocks         do not read block tags in comments
  --limit N           show at most N diagnostics per file (0: all)
  --dialect N         the dialect number handed to the parser
  --help              show this help
  --version           show the version

Settings: the nearest vexa.json in a file's folder or above (for standard input, the current
folder) gives "keywords", "strictKeywords" and "rules"; options given here win over it.

Exit status: 0 without errors, 1 when a file has an error, 2 on a usage, settings or file error.`;

const OPTIONS = {
  json: { type: 'boolean' },
  tree: { type: 'boolean' },
  config: { type: 'string' },
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

function plural(count, word) {
  return `${count} ${word}${count === 1 ? '' : 's'}`;
}

// Several files are parsed at once, a few per core: enough to keep the pool busy while files are
// read and results printed, few enough that open files and results in memory stay bounded.
const CONCURRENCY = Math.max(2, Math.min(16, 2 * (os.availableParallelism?.() ?? os.cpus().length)));

// Problems of a settings or keywords file, in the compiler convention, under the name `shown`.
function printProblems(shown, problems) {
  for (const p of problems) process.stderr.write(`${visible(shown)}:${p.line}:${p.column}: error: ${visible(p.message)}\n`);
}

// The keyword lists of a --keywords file, read and checked once; null (the problems printed)
// when it has mistakes.
function keywordsFile(file) {
  let text;
  try {
    text = fs.readFileSync(file, 'utf8');
  } catch (error) {
    usage(`cannot read keywords from ${file}: ${reason(error)}`);
  }
  const { keywords: lists, problems } = config.readKeywordsText(text, file);
  printProblems(file, problems);
  return problems.length ? null : lists;
}

// The settings of every input, each vexa.json loaded once. Problems are printed (once per file)
// and end the run before anything is parsed: null then.
function settingsOf(inputs, values) {
  const byDir = new Map();
  const loaded = inputs.map((file) => {
    if (values.config !== undefined) return byDir.get('') ?? byDir.set('', config.loadConfig(values.config)).get('');
    const dir = file === '-' ? process.cwd() : path.dirname(path.resolve(file));
    if (!byDir.has(dir)) byDir.set(dir, config.configFor(file === '-' ? null : file));
    return byDir.get(dir);
  });
  const seen = new Set();
  for (const { file, problems } of byDir.values()) {
    if (!file || problems.length === 0 || seen.has(file)) continue;
    seen.add(file);
    printProblems(values.config !== undefined ? values.config : path.relative(process.cwd(), file) || file, problems);
  }
  return seen.size ? null : loaded;
}

// One keyword table per distinct set of lists and strictness, and the rules each file is parsed
// with: its settings, with the command line's options over them.
function jobsFor(loaded, words, values) {
  const tables = new Map();
  const jobs = new Map();
  for (const entry of loaded) {
    if (jobs.has(entry)) continue;
    const { settings } = entry;
    const lists = words ?? settings.keywords;
    const strictKeywords = values['strict-keywords'] === true || settings.strictKeywords;
    const key = JSON.stringify([lists, strictKeywords]);
    if (!tables.has(key)) {
      try {
        tables.set(key, keywords(lists, strictKeywords));
      } catch (error) {
        usage(`bad keyword lists: ${error.message}`);
      }
    }
    const rules = { ...settings.rules };
    if (values.strict) rules['core.strict'] = true;
    if (values['no-blocks']) rules['syntax.parseBlocks'] = false;
    if (values.dialect !== undefined) rules['core.dialect'] = wholeNumber(values.dialect, '--dialect');
    const limit = values.limit !== undefined ? wholeNumber(values.limit, '--limit') : rules['diagnostic.limit'];
    // Every diagnostic comes back, so that the summary can say how many --limit left out.
    rules['diagnostic.limit'] = 0;
    const folded = new Set(Object.values(lists).flat().map((w) => (strictKeywords ? w : String(w).toUpperCase())));
    jobs.set(entry, {
      table: tables.get(key), rules, limit, strictKeywords, known: folded,
      // The note about missing keyword lists is for runs without any settings of their own.
      hint: entry.file === null && words === null,
    });
  }
  return { jobs, tables: [...tables.values()] };
}

async function main() {
  // A reader that stops early (`| head`) is no error of ours; any other output error ends the run.
  process.stdout.on('error', (error) => {
    if (error.code === 'EPIPE') process.exit(process.exitCode ?? 0);
    fail(`cannot write the output: ${reason(error)}`);
  });
  let parsed;
  try {
    parsed = parseArgs({ options: OPTIONS, allowPositionals: true });
  } catch (error) {
    usage(error.message);
  }
  const { values, positionals: inputs } = parsed;
  if (values.help) return void process.stdout.write(`${HELP}\n`);
  if (values.version) {
    const { version } = require('../package.json');
    return void process.stdout.write(`${version}\n`);
  }
  if (inputs.length === 0) usage('no input files');
  if (values.json && values.tree) usage('--json and --tree exclude each other');
  for (const option of ['limit', 'dialect']) if (values[option] !== undefined) wholeNumber(values[option], `--${option}`);

  const loaded = settingsOf(inputs, values);
  const words = values.keywords !== undefined ? keywordsFile(values.keywords) : null;
  if (loaded === null || (values.keywords !== undefined && words === null)) {
    process.exitCode = 2;
    return;
  }
  const { jobs, tables } = jobsFor(loaded, words, values);
  const read = makeReader(process.stdin);
  const paint = colours(process.stdout);
  const out = new Output(process.stdout);

  const run = async (i) => {
    const file = inputs[i];
    const job = jobs.get(loaded[i]);
    try {
      let source = await read(file);
      // A UTF-8 byte-order mark is no part of the text, as editors take it.
      if (source[0] === 0xef && source[1] === 0xbb && source[2] === 0xbf) source = source.subarray(3);
      const result = await parse(file === '-' ? '<stdin>' : file, source, job.table.reference, job.rules);
      return { file, job, source, result };
    } catch (error) {
      return { file, error };
    }
  };

  const totals = { errors: 0, warnings: 0, shown: 0, reported: 0, files: 0, failed: 0 };
  let hinted = false;
  const report = async ({ file, job, source, result, error }) => {
    if (error) {
      totals.failed++;
      if (values.json) out.write(`${JSON.stringify({ file, error: reason(error) })}\n`);
      await out.flush();
      process.stderr.write(`vexa-parse: ${visible(file)}: ${visible(reason(error))}\n`);
      return;
    }
    totals.files++;
    const name = file === '-' ? '<stdin>' : file;
    if (values.json) await writeJson(out, file, result, job.limit);
    else if (values.tree) await writeTree(out, name, result, paint);
    let counts;
    if (values.json || values.tree) {
      const errors = result.diagnostics.filter((d) => d.severity === 1).length;
      counts = { errors, warnings: result.diagnostics.length - errors, shown: 0, reported: 0 };
    } else {
      counts = await writeDiagnostics(out, name, source, result, { limit: job.limit, paint, nul: nulPosition(source) });
    }
    for (const key of ['errors', 'warnings', 'shown', 'reported']) totals[key] += counts[key];
    if (job.hint && !hinted && counts.errors > 0) {
      const word = unknownWord(source, result.diagnostics, job.known, job.strictKeywords);
      if (word !== null) {
        hinted = true;
        if (values.json || values.tree) {
          await out.flush();
          process.stderr.write(`vexa-parse: ${note(word)}\n`);
        } else {
          out.write(`${note(word)}\n`);
        }
      }
    }
  };

  // Up to CONCURRENCY files are read and parsed ahead of the one being printed; each slot is
  // taken again once its file is printed, so that finished results do not pile up.
  const pending = [];
  let started = 0;
  for (; started < Math.min(CONCURRENCY, inputs.length); started++) pending[started] = run(started);
  for (let i = 0; i < inputs.length; i++) {
    const outcome = await pending[i];
    pending[i] = undefined;
    if (started < inputs.length) {
      pending[started] = run(started);
      started++;
    }
    await report(outcome);
  }
  for (const table of tables) table.dispose();

  if (!values.json) {
    let summary = `${plural(totals.errors, 'error')}, ${plural(totals.warnings, 'warning')} in ${plural(totals.files, 'file')}`;
    if (!values.tree && totals.shown < totals.reported) summary += ` (${totals.shown} of ${plural(totals.reported, 'diagnostic')} shown)`;
    out.write(`${summary}\n`);
  }
  await out.flush();
  process.exitCode = totals.failed > 0 ? 2 : totals.errors > 0 ? 1 : 0;
}

// Whatever failed, the user gets a sentence and status 2, never a stack trace.
function fail(message) {
  process.stderr.write(`vexa-parse: ${visible(message)}\n`);
  process.exit(2);
}

process.on('uncaughtException', (error) => fail(reason(error)));

main().catch((error) => {
  if (error instanceof UsageError) {
    process.stderr.write(`vexa-parse: ${visible(error.message)}\nTry 'vexa-parse --help'.\n`);
    process.exitCode = 2;
  } else {
    fail(reason(error));
  }
});
