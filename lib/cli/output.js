'use strict';
// Output gathered into blocks of about 64 KiB and written with the stream's back-pressure
// respected, so that a report of any size goes out piece by piece and never as one string. Once
// the stream fails (a reader gone, a full disk), `broken` holds the error and output is dropped,
// so that the run can end the ordinary way.
const { once } = require('node:events');

const BLOCK = 1 << 16;

class Output {
  constructor(stream) {
    this.stream = stream;
    this.parts = [];
    this.size = 0;
    this.broken = null;
    stream.on('error', (error) => {
      this.broken ??= error;
    });
  }

  /** Queues `text`; returns a promise to await when the block went out and the stream is full. */
  write(text) {
    if (this.broken) return null;
    this.parts.push(text);
    this.size += text.length;
    return this.size >= BLOCK ? this.flush() : null;
  }

  flush() {
    if (this.size === 0 || this.broken) return null;
    const block = this.parts.join('');
    this.parts = [];
    this.size = 0;
    // A stream that fails instead of draining ends the wait too; `broken` then says why.
    return this.stream.write(block) ? null : once(this.stream, 'drain').catch(() => {});
  }
}

module.exports = { Output };
