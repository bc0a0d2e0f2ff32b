// The end-to-end test's surroundings: a static web server on localhost, the
// Lynx simulator on a pseudo-terminal, and headless Chromium (Debian's, no
// browser download) with a stand-in for navigator.serial whose bytes go to
// the simulator and back.
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import readline from 'node:readline';
import tty from 'node:tty';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
export const root = path.resolve(here, '../..');
export const site = path.resolve(process.env.GDLKIT_WEB_SITE || path.join(root, 'build-web/site'));
export const kitBin = path.resolve(process.env.GDLKIT_KIT_BIN || path.join(root, 'build-test/kit/bin'));
export const linkData = path.join(root, 'tests/data/link');

// The kit's sample project built by GDLEdit --build into folder; the set's path.
export function buildSample(folder) {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'gdlsample-'));
  fs.cpSync(path.join(root, 'samples/GemQuest'), work, { recursive: true });
  const out = path.join(folder, 'GemQuest.gdl');
  const r = spawnSync(path.join(kitBin, 'GDLEdit'), ['--build', 'GemQuest.gdp', '--output', out], {
    cwd: work,
    encoding: 'utf8',
    env: { ...process.env, QT_QPA_PLATFORM: 'offscreen', XDG_CONFIG_HOME: work },
  });
  fs.rmSync(work, { recursive: true, force: true });
  if (r.status !== 0) throw new Error(`GDLEdit --build failed: ${r.stdout}${r.stderr}`);
  return out;
}

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.css': 'text/css',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
};

// Serves folder on 127.0.0.1 at a free port; resolves to { url, close }.
export function serve(folder) {
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://localhost');
    let file = path.join(folder, decodeURIComponent(url.pathname));
    if (!file.startsWith(folder)) {
      res.writeHead(403).end();
      return;
    }
    if (fs.existsSync(file) && fs.statSync(file).isDirectory()) file = path.join(file, 'index.html');
    fs.readFile(file, (err, data) => {
      if (err) {
        res.writeHead(404).end();
        return;
      }
      res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      res.end(data);
    });
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () =>
      resolve({ url: `http://localhost:${server.address().port}/`, close: () => server.close() })
    );
  });
}

// folder served by Python's own web server, as the guide tells a publisher to
// try a gallery; resolves to { url, close }.
export function servePython(folder) {
  const child = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', folder], {
    stdio: ['ignore', 'pipe', 'ignore'],
  });
  const lines = readline.createInterface({ input: child.stdout });
  return new Promise((resolve, reject) => {
    child.once('error', reject);
    child.once('exit', (code) => reject(new Error(`python3 -m http.server ended with ${code}`)));
    lines.on('line', (line) => {
      const port = /port (\d+)/.exec(line);
      if (port) resolve({ url: `http://localhost:${port[1]}/`, close: () => child.kill('SIGTERM') });
    });
  });
}

// Waits for check() to hold, looking again at every event of source.
export function until(check, what, ms = 10000) {
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`timed out waiting for ${what}`)), ms);
    const look = () => {
      const value = check();
      if (value) {
        clearTimeout(timer);
        resolve(value);
        return true;
      }
      return false;
    };
    if (!look()) until.waiters.add(look);
  }).finally(() => until.poke());
}
until.waiters = new Set();
until.poke = () => {
  for (const look of [...until.waiters]) if (look()) until.waiters.delete(look);
};

// lynxsim on a new pseudo-terminal; its JSON lines in events, every byte the
// page wrote in wire.
// With attach false nobody here opens the terminal: another program does.
export async function startLynx(args = [], { attach = true } = {}) {
  const child = spawn(path.join(kitBin, 'lynxsim'), args, { stdio: ['pipe', 'pipe', 'inherit'] });
  const lines = readline.createInterface({ input: child.stdout });
  const lynx = { child, events: [], wire: [], opens: [], signals: [], page: null };
  const first = new Promise((resolve, reject) => {
    child.once('error', reject);
    child.once('exit', (code) => reject(new Error(`lynxsim ended with ${code}`)));
    lines.once('line', resolve);
  });
  lynx.device = (await first).trim();
  lines.on('line', (line) => {
    lynx.events.push(JSON.parse(line));
    until.poke();
  });
  lynx.levels = () => lynx.events.filter((e) => e.event === 'level');
  lynx.key = (k) => child.stdin.write(k);
  lynx.stop = () => child.kill('SIGTERM');
  if (!attach) return lynx;
  lynx.fd = fs.openSync(lynx.device, fs.constants.O_RDWR | fs.constants.O_NOCTTY);
  // The event loop's own terminal reader: nothing blocks in a thread, so a
  // stop ends it at once.
  const reader = new tty.ReadStream(lynx.fd);
  reader.on('data', (chunk) => {
    if (lynx.page && lynx.listening) lynx.page.evaluate((b) => window.__gdlWirePush(b), Array.from(chunk)).catch(() => {});
  });
  reader.on('error', () => {});
  lynx.stop = () => {
    reader.destroy();
    child.kill('SIGTERM');
  };
  return lynx;
}

const flags = [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

export function launch() {
  return chromium.launch({ executablePath: process.env.GDLKIT_CHROMIUM || '/usr/bin/chromium', args: flags });
}

const standIn = fs.readFileSync(path.join(here, 'serial-standin.js'), 'utf8');

// A browser context whose pages see the stand-in port wired to lynx (or no
// Web Serial at all when lynx is null and noSerial is set).
export async function context(browser, { lynx = null, noSerial = false, viewport } = {}) {
  const ctx = await browser.newContext({ viewport: viewport || { width: 1280, height: 800 } });
  if (noSerial) {
    await ctx.addInitScript(() => {
      delete Navigator.prototype.serial;
    });
    return ctx;
  }
  await ctx.exposeBinding('__gdlWireOpen', (_, options) => {
    lynx?.opens.push(JSON.parse(options));
    if (lynx) lynx.listening = true;
  });
  await ctx.exposeBinding('__gdlWireSignals', (_, signals) => lynx?.signals.push(JSON.parse(signals)));
  await ctx.exposeBinding('__gdlWireWrite', (_, bytes) => {
    if (!lynx) return;
    lynx.wire.push(...bytes);
    fs.writeSync(lynx.fd, Buffer.from(bytes));
  });
  await ctx.exposeBinding('__gdlWireDrain', () => {});
  await ctx.exposeBinding('__gdlWireClose', () => {
    if (lynx) lynx.listening = false;
  });
  await ctx.addInitScript(standIn);
  return ctx;
}

// The hex blocks after each "wire N bytes:" line of a transcript.
export function transcriptSends(name) {
  const text = fs.readFileSync(path.join(linkData, name), 'utf8');
  const sends = [];
  let current = null;
  for (const line of text.split('\n')) {
    if (line.startsWith('wire ')) {
      current = [];
      sends.push(current);
    } else if (current && /^[0-9A-F]{2}( [0-9A-F]{2})*$/.test(line)) {
      current.push(...line.split(' ').map((h) => parseInt(h, 16)));
    } else {
      current = null;
    }
  }
  return sends;
}

// The page's state as the user sees it.
export function shown(page) {
  return page.evaluate(() => ({
    Panel1: document.querySelector('#Panel1 .text').textContent,
    Panel2: document.querySelector('#Panel2 .text').textContent,
    Panel3: document.querySelector('#Panel3 .text').textContent,
    status: document.querySelector('#Panel14 .text').textContent,
    reason: document.querySelector('#Panel14Hint').textContent,
    lamp: document.querySelector('#iStat').dataset.lamp,
    code: document.querySelector('#ePW').value,
    noSerial: !document.querySelector('#noserial').hidden,
  }));
}
