'use strict';
// Output gathered into blocks of about 64 KiB and written with the stream's back-pressure
// respected, so that a report of any size goes out piece by piece and never as one string.
const { once } = require('node:events');

const BLOCK = 1 << 16;

class Output {
  constructor(stream) {
    this.stream = stream;
    this.parts = [];
    this.size = 0;
  }

  /** Queues `text`; returns a promise to await when the block went out and the stream is full. */
  write(text) {
    this.parts.push(text);
    this.size += text.length;
    return this.size >= BLOCK ? this.flush() : null;
  }

  flush() {
    if (this.size === 0) return null;
    const block = this.parts.join('');
    this.parts = [];
    this.size = 0;
    return this.stream.write(block) ? null : once(this.stream, 'drain');
  }
}

module.exports = { Output };
