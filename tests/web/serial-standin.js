// Injected into the page before its own scripts: navigator.serial as the
// page sees it in Chrome, with one port whose bytes the test carries to
// lynxsim over a pseudo-terminal. window.__gdlWire* are the test's bindings.
(() => {
  const granted = () => sessionStorage.getItem('gdl-test-granted') === '1';
  const listeners = {};
  let controller = null;
  const port = {
    readable: null,
    writable: null,
    async open(options) {
      await window.__gdlWireOpen(JSON.stringify(options));
      this.readable = new ReadableStream({
        start: (c) => {
          controller = c;
        },
        cancel: () => {
          controller = null;
        },
      });
      this.writable = this.makeWritable();
    },
    makeWritable() {
      const self = this;
      return new WritableStream({
        async write(chunk) {
          await window.__gdlWireWrite(Array.from(chunk));
        },
        // Resolves once the test has handed every byte to the terminal.
        async close() {
          await window.__gdlWireDrain();
          self.writable = self.makeWritable();
        },
      });
    },
    async setSignals(signals) {
      await window.__gdlWireSignals(JSON.stringify(signals));
    },
    async close() {
      if (controller) controller.close();
      controller = null;
      this.readable = null;
      this.writable = null;
      await window.__gdlWireClose();
    },
    getInfo: () => ({ usbVendorId: 0x0403, usbProductId: 0x6001 }),
  };
  // The test's side hands the Lynx's bytes in here.
  window.__gdlWirePush = (bytes) => {
    if (controller) controller.enqueue(Uint8Array.from(bytes));
  };
  // And pulls the adapter out here.
  window.__gdlWireUnplug = () => {
    if (controller) controller.error(new DOMException('The device has been lost.', 'NetworkError'));
    controller = null;
    for (const fn of listeners.disconnect || []) fn({ target: port });
  };
  const serial = {
    async requestPort() {
      sessionStorage.setItem('gdl-test-granted', '1');
      return port;
    },
    async getPorts() {
      return granted() ? [port] : [];
    },
    addEventListener(type, fn) {
      (listeners[type] = listeners[type] || []).push(fn);
    },
  };
  Object.defineProperty(Navigator.prototype, 'serial', { get: () => serial, configurable: true });
})();
