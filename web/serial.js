// The page's side of the serial line: the port the user picked through Web
// Serial, opened with the settings the core hands over, and a reader that
// keeps what arrives until the core takes it. It decides nothing of the link.
export class WebSerial {
  constructor(serial, { onData, onFailed }) {
    this.serial = serial || null;
    this.port = null;
    this.opened = false;
    this.incoming = [];
    this.onData = onData;
    this.onFailed = onFailed;
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

  async write(bytes) {
    if (!this.opened || !this.writer) return false;
    try {
      await this.writer.write(bytes);
      return true;
    } catch (e) {
      return false;
    }
  }

  // Closing the writable stream waits until its bytes have left the port;
  // the port then hands out a fresh one.
  async drain() {
    if (!this.opened || !this.writer) return false;
    try {
      await this.writer.close();
      this.writer = this.port.writable.getWriter();
      return true;
    } catch (e) {
      return false;
    }
  }

  async close() {
    const port = this.port;
    const wasOpen = this.opened;
    this.opened = false;
    if (!port || !wasOpen) return;
    await port.setSignals({ dataTerminalReady: false, requestToSend: false }).catch(() => {});
    if (this.reader) await this.reader.cancel().catch(() => {});
    if (this.writer) {
      await this.writer.close().catch(() => {});
      this.writer.releaseLock();
      this.writer = null;
    }
    await port.close().catch(() => {});
  }
}
