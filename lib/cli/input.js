'use strict';
// Reading the command line's inputs: whole files up to the largest Buffer the host makes (more
// than readFile allows), standard input once however often "-" is given, and the reasons a file
// cannot be read in words.
const fs = require('node:fs');
const { constants: { MAX_LENGTH } } = require('node:buffer');

const REASONS = {
  ENOENT: 'no such file',
  EISDIR: 'is a directory',
  EACCES: 'permission denied',
  EPERM: 'permission denied',
  ENOTDIR: 'a part of the path is not a directory',
  ELOOP: 'too many symbolic links',
  ENAMETOOLONG: 'the name is too long',
  EMFILE: 'too many open files',
  ENFILE: 'too many open files',
  ENOMEM: 'out of memory',
  EIO: 'input/output error',
};

function reason(error) {
  if (error && REASONS[error.code]) return REASONS[error.code];
  const message = error && typeof error.message === 'string' ? error.message : String(error);
  return message.split('\n')[0];
}

class TooLarge extends Error {}

const CHUNK = 1 << 20;

async function readAll(handle, size) {
  // A regular file is read into one buffer of its size; a pipe or device, or a file that grows
  // meanwhile, in chunks.
  const chunks = [];
  let total = 0;
  let buffer = Buffer.allocUnsafe(size > 0 ? size : CHUNK);
  let filled = 0;
  for (;;) {
    if (filled === buffer.length) {
      chunks.push(buffer);
      buffer = Buffer.allocUnsafe(CHUNK);
      filled = 0;
    }
    const { bytesRead } = await handle.read(buffer, filled, buffer.length - filled, null);
    if (bytesRead === 0) break;
    filled += bytesRead;
    total += bytesRead;
    if (total > MAX_LENGTH) throw new TooLarge(`too large: more than ${MAX_LENGTH} bytes`);
  }
  if (filled > 0 || chunks.length === 0) chunks.push(buffer.subarray(0, filled));
  return chunks.length === 1 ? chunks[0] : Buffer.concat(chunks, total);
}

async function readFile(file) {
  const handle = await fs.promises.open(file, 'r');
  try {
    const stat = await handle.stat();
    if (stat.isDirectory()) throw Object.assign(new Error('is a directory'), { code: 'EISDIR' });
    if (stat.size > MAX_LENGTH) throw new TooLarge(`too large: ${stat.size} bytes, at most ${MAX_LENGTH}`);
    return await readAll(handle, stat.isFile() ? stat.size : 0);
  } finally {
    await handle.close();
  }
}

async function readStream(stream) {
  const chunks = [];
  let total = 0;
  for await (const chunk of stream) {
    total += chunk.length;
    if (total > MAX_LENGTH) throw new TooLarge(`too large: more than ${MAX_LENGTH} bytes`);
    chunks.push(chunk);
  }
  return Buffer.concat(chunks, total);
}

/** Reads a file, "-" meaning standard input, which is read once and then handed out again. */
function makeReader(stdin) {
  let standardInput = null;
  return (file) => {
    if (file !== '-') return readFile(file);
    standardInput ??= readStream(stdin);
    return standardInput;
  };
}

module.exports = { makeReader, reason };
