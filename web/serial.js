// The page's side of the serial line: the port the user picked through Web
// Serial, opened with the settings the core hands over, and a reader that
// keeps what arrives until the core takes it. It decides nothing of the link.
// Bytes handed to the port in one write: a pulled adapter stops the stream
// within a few milliseconds of the wire, and the send's bar moves smoothly.
const CHUNK = 64;

export class WebSerial {
  constructor(serial, { onData, onFailed, onProgress, onWritten }) {
    this.serial = serial || null;
    this.port = null;
    this.opened = false;
    this.incoming = [];
    this.onData = onData;
    this.onFailed = onFailed;
    this.onProgress = onProgress;
    this.onWritten = onWritten;
    this.sending = Promise.resolve();
    if (this.serial && this.serial.addEventListener) {
      this.serial.addEventListener('disconnect', (event) => {
        if (event.target === this.port) this.lost(true);
      });
      // A port this site may use plugged in again: the next open takes it.
      this.serial.addEventListener('connect', (event) => {
        if (!this.port) this.port = event.target;
      });
    }
  }

  get available() {
    return this.serial !== null;
  }

  // A port this site was given before (kept by the browser across reloads).
  async remembered() {
    if (!this.serial) return null;
    const ports = await this.serial.getPorts();
    if (!this.port && ports.length > 0) this.port = ports[0];
    return this.port;
  }

  // Needs the user's click; rejects when the user picks nothing.
  async connect() {
    const port = await this.serial.requestPort();
    if (port !== this.port && this.opened) await this.close();
    this.port = port;
    return port;
  }

  // null when open, otherwise why not, in words.
  async open(settings) {
    if (!this.serial) return 'This browser has no Web Serial, so it cannot reach a Lynx.';
    if (!this.port) return 'No Lynx is connected: press Connect Lynx and choose the port of the Lynx cable.';
    try {
      await this.port.open(settings.open);
    } catch (e) {
      return `The port could not be opened: ${e.message || e.name}. Another program or tab may be using it.`;
    }
    // Some adapters have no modem lines; the Lynx cable does not need them.
    await this.port.setSignals(settings.signals).catch(() => {});
    this.opened = true;
    this.settings = settings;
    this.incoming = [];
    this.writer = this.port.writable.getWriter();
    this.readLoop(this.port);
    return null;
  }

  async readLoop(port) {
    while (this.opened && port === this.port && port.readable) {
      const reader = port.readable.getReader();
      this.reader = reader;
      try {
        for (;;) {
          const { value, done } = await reader.read();
          if (done) break;
          if (value && value.length > 0) {
            for (const byte of value) this.incoming.push(byte);
            this.onData();
          }
        }
      } catch (e) {
        // A parity or framing error leaves the port readable; a lost device does not.
        this.lost(e.name === 'NetworkError');
      } finally {
        reader.releaseLock();
        this.reader = null;
      }
    }
  }

  lost(gone) {
    if (!this.opened) return;
    if (gone) {
      // The adapter has gone; one the browser still lets this site use is
      // taken at the next open (the same one, plugged in again).
      this.opened = false;
      this.port = null;
      this.remembered().catch(() => {});
    }
    this.onFailed(gone);
  }

  take(max) {
    return Uint8Array.from(this.incoming.splice(0, max));
  }

  // Takes a stream and returns at once; writes it on in small pieces (each
  // reported through onProgress) and reports through onWritten once it has
  // left the port, or that the port stopped taking it.
  send(bytes) {
    if (!this.opened || !this.writer) return false;
    this.sending = this.sending.then(() => this.writeOut(bytes));
    return true;
  }

  async writeOut(bytes) {
    const { writeTimeoutMs, msPerByte } = this.settings;
    const within = (promise, ms) =>
      Promise.race([promise.then(() => true), new Promise((r) => setTimeout(() => r(false), ms))]).catch(() => false);
    let ok = true;
    for (let at = 0; ok && at < bytes.length; at += CHUNK) {
      const piece = bytes.subarray(at, at + CHUNK);
      ok = this.opened && (await within(this.writer.write(piece), writeTimeoutMs));
      if (ok) this.onProgress(piece.length);
    }
    // Closing the writable stream waits until its bytes have left the port;
    // the port then hands out a fresh one.
    if (ok) {
      ok = await within(this.writer.close(), writeTimeoutMs + bytes.length * msPerByte);
      if (ok && this.opened) this.writer = this.port.writable.getWriter();
    }
    this.onWritten(ok && this.opened);
  }

  async close() {
    const port = this.port;
    const wasOpen = this.opened;
    this.opened = false;
    if (!port || !wasOpen) return;
    await port.setSignals({ dataTerminalReady: false, requestToSend: false }).catch(() => {});
    if (this.reader) await this.reader.cancel().catch(() => {});
    if (this.writer) {
      // What has not gone out yet is dropped, as closing the component purges it.
      await this.writer.abort().catch(() => {});
      this.writer.releaseLock();
      this.writer = null;
    }
    await port.close().catch(() => {});
  }
}
