// GDLPlay in a browser: this module renders the core's view data, hands the
// user's clicks and the port's arrivals to the core one at a time (as the
// window thread does), and gives the core its ports: Web Serial, timers,
// localStorage, IndexedDB for the sets, HTML dialogs. Every rule of the
// player is the core's (gdlplay.wasm); nothing here decides what it shows.
import createPlayer from './gdlplay.js';
import { WebSerial } from './serial.js';
import { SetStore } from './sets.js';
import { Dialogs } from './dialogs.js';

const $ = (id) => document.getElementById(id);
const cp1252 = new TextDecoder('windows-1252');
// The core's texts arrive as JSON strings of bytes (see ViewJson.h).
export const text = (s) => cp1252.decode(Uint8Array.from(s, (c) => c.charCodeAt(0)));

const SET_FOLDER = '/sets/';
const queue = [];
let busy = false;
let core = null;
let started = false;

// The window thread: one call into the core at a time, then a render.
function post(fn) {
  queue.push(fn);
  if (!busy) pump();
}
async function pump() {
  busy = true;
  while (queue.length > 0) {
    const fn = queue.shift();
    try {
      await fn();
    } catch (e) {
      console.error(e);
      await dialogs.show({ dialog: 'message', caption: 'GDLPlay', text: String(e), icon: 'error' });
    }
    render();
  }
  busy = false;
  if (started && !document.body.dataset.ready) {
    performance.mark('gdl-ready');
    document.body.dataset.ready = '1';
  }
}
const call = (name, types = [], args = []) => core.ccall(name, 'number', types, args, { async: true });
const command = (name) => post(() => call('gdl_command', ['string'], [name]));

const serial = new WebSerial(navigator.serial, {
  onData: () => post(() => call('gdl_data_available')),
  onFailed: (gone) => post(() => call('gdl_port_failed', ['number'], [gone ? 1 : 0])),
  onProgress: (count) => post(() => call('gdl_write_progress', ['number'], [count])),
  onWritten: (ok) => post(() => call('gdl_written', ['number'], [ok ? 1 : 0])),
});
const sets = new SetStore();
const dialogs = new Dialogs({ keep: (file) => keepFile(file), text });

let tickId = 0;
const host = {
  storageGet: (item) => {
    try {
      return localStorage.getItem(item);
    } catch (e) {
      return null;
    }
  },
  storageSet: (item, value) => {
    try {
      localStorage.setItem(item, value);
      return true;
    } catch (e) {
      return false;
    }
  },
  serialOpen: (settings) => serial.open(settings),
  serialWrite: (bytes) => serial.send(bytes),
  serialClose: () => serial.close(),
  serialTake: (max) => serial.take(max),
  timerStart: (ms, generation) => {
    clearTimeout(tickId);
    tickId = setTimeout(() => post(() => call('gdl_tick', ['number'], [generation])), ms);
  },
  timerStop: () => clearTimeout(tickId),
  dialog: (request) => dialogs.show(request),
  dialogClose: (which) => dialogs.close(which),
  repaint: () => render(),
};

// A file the user picked or dropped: kept in the page's folder of sets and
// in IndexedDB, so it is there again after a reload.
async function keepFile(file) {
  const name = file.name.replace(/[\/\\]/g, '_');
  const bytes = new Uint8Array(await file.arrayBuffer());
  const path = SET_FOLDER + name;
  core.FS.writeFile(path, bytes);
  await sets.put(path, bytes);
  return path;
}

function render() {
  if (!core) return;
  const view = JSON.parse(core.UTF8ToString(core.ccall('gdl_view', 'number', [], [])));
  if (!view) return;
  document.title = text(view.caption);
  $('caption').textContent = text(view.caption);
  for (let k = 1; k <= 14; ++k) {
    const panel = view['Panel' + k];
    const el = $('Panel' + k);
    // A page is left, not quit: QUIT's keeping of the code runs at pagehide.
    if (k === 11) continue;
    el.hidden = !panel.visible;
    el.style.setProperty("--left", panel.left);
    const label = el.querySelector('.text');
    if (label) label.textContent = text(panel.text);
  }
  for (let k = 1; k <= 7; ++k) {
    const button = view['SpeedButton' + k];
    const el = $('SpeedButton' + k);
    el.textContent = text(button.caption);
    el.disabled = !button.enabled;
  }
  $('Panel5').style.backgroundColor = view.Panel5Color;
  $('Panel6').style.backgroundColor = view.Panel6Color;
  const code = $('ePW');
  code.hidden = !view.ePWVisible;
  if (document.activeElement !== code || code.value !== text(view.ePW)) code.value = text(view.ePW);
  $('iStat').dataset.lamp = view.iStat;
  $('iStat').title = text(view.iStatHint);
  $('Panel14Hint').textContent = text(view.Panel14Hint);
  const bar = $('pSend');
  bar.hidden = !view.pSend.visible;
  bar.max = Math.max(1, view.pSend.max);
  bar.value = view.pSend.position;
  for (const name of ['IgnoreLynxButtons1', 'AutoLoadLevelSet1', 'SavePassword1', 'Hint1']) {
    const item = view[name];
    const el = $(name);
    el.hidden = !item.visible;
    el.disabled = !item.enabled;
    if (el.type === 'checkbox') el.checked = item.checked;
  }
  $('Load1').disabled = !view.Load1.enabled || !view.SpeedButton3.enabled;
  $('closed').hidden = !view.closeRequested;
}

function wire() {
  const buttons = {
    SpeedButton1: 'SpeedButton1Click',
    SpeedButton2: 'SpeedButton2Click',
    SpeedButton3: 'SpeedButton3Click',
    SpeedButton4: 'SpeedButton4Click',
    SpeedButton5: 'SpeedButton5Click',
    SpeedButton6: 'SpeedButton6Click',
    SpeedButton7: 'SpeedButton7Click',
    Hint1: 'Hint1Click',
    Load1: 'SpeedButton3Click',
  };
  for (const [id, handler] of Object.entries(buttons)) $(id).addEventListener('click', () => command(handler));
  for (const id of ['IgnoreLynxButtons1', 'AutoLoadLevelSet1', 'SavePassword1'])
    $(id).addEventListener('change', () => command(id + 'Click'));
  const code = $('ePW');
  code.addEventListener('input', () => post(() => call('gdl_code_changed', ['string'], [code.value])));
  code.addEventListener('keydown', (e) => {
    if (e.key === 'Enter') command('SpeedButton1Click');
  });
  // The design's shortcuts, where the browser lets a page have them.
  const keys = { l: 'SpeedButton3', r: 'SpeedButton4', p: 'SpeedButton1', n: 'SpeedButton2', b: 'SpeedButton6' };
  document.addEventListener('keydown', (e) => {
    if (dialogs.open) return;
    if (e.key === 'F4') {
      e.preventDefault();
      if (!$('Hint1').disabled && !$('Hint1').hidden) command('Hint1Click');
      return;
    }
    const target = e.ctrlKey && !e.altKey ? keys[e.key.toLowerCase()] : null;
    if (!target) return;
    e.preventDefault();
    let id = target;
    // Ctrl+N is NEXT> in wizard mode, when NEXT itself is hidden.
    if (target === 'SpeedButton2' && $('Panel6').hidden) id = 'SpeedButton7';
    const el = $(id);
    if (!el.disabled && !el.closest('[hidden]')) command(id + 'Click');
  });
  $('connect').addEventListener('click', async () => {
    try {
      await serial.connect();
      $('connect').textContent = 'Lynx port chosen';
    } catch (e) {
      // The user closed the browser's port list: nothing changes.
    }
  });
  document.addEventListener('dragover', (e) => e.preventDefault());
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    const file = e.dataTransfer.files[0];
    if (!file || dialogs.open) return;
    post(async () => {
      const path = await keepFile(file);
      await call('gdl_load_file', ['string'], [path]);
    });
  });
  // Leaving the page is QUIT: the code and the last set are kept as QUIT keeps them.
  window.addEventListener('pagehide', () => {
    if (!busy && core) {
      core.ccall('gdl_command', 'number', ['string'], ['SpeedButton5Click']);
      core.ccall('gdl_command', 'number', ['string'], ['FormClose']);
    }
  });
}

// The set named by the page's address (?set=NAME.gdl, relative to the page),
// fetched from the same site: [path, bytes], or null when none is named or it
// cannot be had (the page then says why).
async function setOfAddress() {
  const name = new URLSearchParams(location.search).get('set');
  if (!name) return null;
  let url;
  let base;
  try {
    url = new URL(name, location.href);
    base = decodeURIComponent(url.pathname.split('/').pop() || '');
  } catch (e) {
    return null;
  }
  if (url.origin !== location.origin) return null;
  try {
    const response = await fetch(url);
    if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
    return [SET_FOLDER + base.replace(/[\/\\]/g, '_'), new Uint8Array(await response.arrayBuffer())];
  } catch (e) {
    $('notice').textContent = `The level set ${base} could not be fetched (${e.message}).`;
    $('notice').hidden = false;
    return null;
  }
}

async function main() {
  if (!serial.available) $('noserial').hidden = false;
  else $('connect').hidden = false;
  // The set, the kept sets and the core load side by side.
  const named = setOfAddress();
  const kept = sets.all();
  core = await createPlayer({ host, locateFile: (f) => new URL(f, import.meta.url).href });
  core.FS.mkdirTree(SET_FOLDER);
  for (const [path, bytes] of await kept) core.FS.writeFile(path, bytes);
  const set = await named;
  if (set) {
    core.FS.writeFile(set[0], set[1]);
    sets.put(set[0], set[1]);
  }
  if (serial.available && (await serial.remembered())) $('connect').textContent = 'Lynx port chosen';
  wire();
  started = true;
  post(() => call('gdl_start', ['string'], [set ? set[0] : '']));
}

main();
