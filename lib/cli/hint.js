'use strict';
// The note for the commonest first stumble: without settings, the default keyword lists hold no
// instructions, so a line such as "L1: MOV A, 4" fails right at "MOV". When a line fails with
// VEXA1203 or VEXA1001 at (or right after) a word in statement position that no keyword list
// holds, the command line says once how to give the lists.
const { SourceLines } = require('./source-lines.js');

const WORD = /^[A-Za-z_][A-Za-z0-9_]*/;
// Before the word at the failure: nothing but blanks, or a label with or without its colon.
const LEAD_IN = /^[ \t]*(?:[A-Za-z_][A-Za-z0-9_]*:?[ \t]+)?$/;
// A lone word at the start of the line, taken as a label, and the failure right after it.
const LONE_WORD = /^[ \t]*([A-Za-z_][A-Za-z0-9_]*)[ \t]+$/;
const REACH = 80;

/** The first word in statement position that a failing line stumbles over and no list holds. */
function unknownWord(source, diagnostics, known, strictKeywords) {
  const isKnown = (word) => known.has(strictKeywords ? word : word.toUpperCase());
  let lines = null;
  for (const d of diagnostics) {
    if (d.code !== 'VEXA1203' && d.code !== 'VEXA1001') continue;
    const { line, character } = d.range.start;
    if (character > REACH) continue;
    lines ??= new SourceLines(source);
    lines.seek(line);
    const before = lines.chars(0, character).join('');
    const rest = lines.chars(character, character + REACH).join('');
    const at = WORD.exec(rest);
    const atWord = at && LEAD_IN.test(before) && !isKnown(at[0]) ? at[0] : null;
    const lone = LONE_WORD.exec(before);
    const loneWord = lone && !isKnown(lone[1]) ? lone[1] : null;
    // "RUN MOV R2" stumbles at MOV, the instruction with its operands after it; "MOV A" at A, after
    // the instruction that was taken for a label.
    const operandsFollow = at !== null && /^[ \t]*[^ \t;]/.test(rest.slice(at[0].length));
    const word = atWord && (operandsFollow || !loneWord) ? atWord : loneWord ?? atWord;
    if (word) return word;
  }
  return null;
}

function note(word) {
  return `note: "${word}" is in no keyword list, and no vexa.json or --keywords file was found; ` +
    'the default lists hold directives, precodes and commands but no instructions. List yours in a ' +
    `vexa.json in the project's folder, for instance {"keywords": {"instructions": ["${word}"]}}`;
}

module.exports = { unknownWord, note };
