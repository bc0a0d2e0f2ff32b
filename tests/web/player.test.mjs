// GDLPlay's page in headless Chromium, with the Lynx played by lynxsim over a
// pseudo-terminal: the stand-in for navigator.serial carries the page's
// bytes to the simulator and its answers back.
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { buildSample, context, kitBin, launch, linkData, serve, servePython, shown, site, startLynx, transcriptSends, until } from './harness.mjs';

const SET = 'two-levels.gdl';
let www;
let server;
let browser;

before(async () => {
  // The page's files as scripts/web built them, the transcripts' set beside
  // them, and a gallery of that set made by GDLTools.exe with its player.
  www = fs.mkdtempSync(path.join(os.tmpdir(), 'gdlweb-'));
  fs.cpSync(site, www, { recursive: true });
  fs.copyFileSync(path.join(linkData, SET), path.join(www, SET));
  const sample = buildSample(www);
  const gallery = spawnSync(path.join(kitBin, 'GDLTools.exe'), ['gallery', sample, path.join(www, 'gallery')], {
    env: { ...process.env, GDLKIT_WEB_PLAYER: site },
    encoding: 'utf8',
  });
  assert.equal(gallery.status, 0, gallery.stderr);
  server = await serve(www);
  browser = await launch();
});

after(async () => {
  await browser?.close();
  server?.close();
  if (www) fs.rmSync(www, { recursive: true, force: true });
});

// Every page records what it asked for and what its console said.
async function open(ctx, query = `?set=${SET}`, { ready = true } = {}) {
  const page = await ctx.newPage();
  page.requests = [];
  page.problems = [];
  page.on('request', (r) => page.requests.push(r.url()));
  page.on('pageerror', (e) => page.problems.push(String(e)));
  page.on('console', (m) => m.type() === 'error' && page.problems.push(m.text()));
  await page.goto(server.url + query);
  if (ready) await page.waitForSelector('body[data-ready="1"]');
  return page;
}

// Runs fn(page, lynx) on the page of the set, lynxsim (with args) at the
// other end of the stand-in's port, "Connect Lynx" pressed.
async function withLynx(args, fn) {
  const lynx = await startLynx(args);
  try {
    const ctx = await context(browser, { lynx });
    const page = await open(ctx);
    lynx.page = page;
    await page.click('#connect');
    await fn(page, lynx);
    await ctx.close();
  } finally {
    lynx.stop();
  }
}

const statusIs = (page, text) =>
  page.waitForFunction((t) => document.querySelector('#Panel14 .text').textContent === t, text);

test('PLAY sends the bytes of the transcripts; the answer puts the level in play; a burst of 4 sends the next', async () => {
  await withLynx([], async (page, lynx) => {
    assert.equal((await shown(page)).Panel1, 'Glimmerdeep: Test Set');
    await page.click('#SpeedButton1');
    const [first, second] = transcriptSends('play-answer-burst.txt');
    await until(() => lynx.levels().length === 1, 'the first level at lynxsim');
    assert.deepEqual(lynx.wire, first);
    assert.equal(lynx.levels()[0].title, 'PC LEVEL 1');
    assert.ok(lynx.levels()[0].headerChecksumOk && lynx.levels()[0].dataChecksumOk);
    // The line as the Lynx cable runs it, DTR and RTS on.
    assert.deepEqual(lynx.opens[0], {
      baudRate: 9600, dataBits: 8, parity: 'even', stopBits: 1, flowControl: 'none', bufferSize: 8192,
    });
    assert.deepEqual(lynx.signals[0], { dataTerminalReady: true, requestToSend: true });

    await until(() => lynx.events.some((e) => e.event === 'answer'), 'the answer');
    await page.waitForFunction(() => document.querySelector('#iStat').dataset.lamp === 'play');
    const inPlay = await shown(page);
    assert.equal(inPlay.status, '');
    assert.notEqual(await page.getAttribute('#iStat', 'title'), '');
    assert.equal(inPlay.Panel2, 'PC LEVEL 1');

    lynx.key('n');  // the player finished the level: four button bytes
    await until(() => lynx.levels().length === 2, 'the next level at lynxsim');
    assert.deepEqual(lynx.wire.slice(first.length), second);
    assert.equal(lynx.levels()[1].title, 'PC LEVEL 2');
    await page.waitForFunction(() => document.querySelector('#Panel2 .text').textContent === 'PC LEVEL 2');
    // Nothing from other sites, nothing the page's own policy refused.
    assert.deepEqual(page.requests.filter((u) => !u.startsWith(server.url)), []);
    assert.deepEqual(page.problems, []);
  });
});

test('the page and gdlplay.exe --send send level 1 of the set alike', async () => {
  // --send plays in test mode, whose first send is not marked as a new level
  // (byte 27, and so the header's checksum): all else is the same.
  const send = await startLynx([], { attach: false });
  let page;
  try {
    const r = spawn(path.join(kitBin, 'gdlplay.exe'), ['--send', path.join(linkData, SET), '1', '--port', send.device], {
      env: { ...process.env, XDG_CONFIG_HOME: fs.mkdtempSync(path.join(os.tmpdir(), 'gdlsend-')), GDLKIT_MACHINE_REG: '' },
      stdio: 'ignore',
    });
    const status = await new Promise((resolve) => r.once('exit', resolve));
    assert.equal(status, 0);
    await until(() => send.levels().length === 1, 'the level --send sent');
  } finally {
    send.stop();
  }
  await withLynx([], async (p, lynx) => {
    await p.click('#SpeedButton1');
    await until(() => lynx.levels().length === 1, 'the level the page sent');
    page = lynx.levels()[0];
  });
  const same = ({ kind, headerChecksum, ms, ...rest }) => rest;
  assert.deepEqual(same(page), same(send.levels()[0]));
  assert.equal(page.kind, 1);
  assert.equal(send.levels()[0].kind, 0);
});

test('a Lynx that is off hears only the echo: "Lynx not responding" and the red lamp', async () => {
  await withLynx(['--lynx-off'], async (page, lynx) => {
    await page.click('#SpeedButton1');
    await statusIs(page, ' Lynx not responding on Com1!');
    assert.equal((await shown(page)).lamp, 'err');
  });
});

test('PLAY without a connected Lynx: "Unable to open", the red lamp and the reason', async () => {
  const ctx = await context(browser);
  const page = await open(ctx);
  await page.click('#SpeedButton1');
  await statusIs(page, ' Unable to open Com1!');
  const s = await shown(page);
  assert.equal(s.lamp, 'err');
  assert.match(s.reason, /Connect Lynx/);
  await ctx.close();
});

test('an adapter pulled out during play: the status says so and the next PLAY opens it again', async () => {
  await withLynx([], async (page, lynx) => {
    await page.click('#SpeedButton1');
    await until(() => lynx.events.some((e) => e.event === 'answer'), 'the answer');
    await page.waitForFunction(() => document.querySelector('#iStat').dataset.lamp === 'play');
    await page.evaluate(() => window.__gdlWireUnplug());
    await statusIs(page, ' Warning: Device Removed on Com1.');
    assert.equal((await shown(page)).lamp, 'warn');
    await page.click('#SpeedButton1');
    await until(() => lynx.levels().length === 2, 'the level sent again after the port was opened again');
    assert.equal(lynx.opens.length, 2);
  });
});

test('the port chosen is opened again after a reload, without a click', async () => {
  await withLynx([], async (page, lynx) => {
    await page.reload();
    await page.waitForSelector('body[data-ready="1"]');
    assert.equal(await page.textContent('#connect'), 'Lynx port chosen');
    await page.click('#SpeedButton1');
    await until(() => lynx.levels().length === 1, 'the level at lynxsim');
    assert.equal(lynx.levels()[0].title, 'PC LEVEL 1');
  });
});

test('a saved code survives a reload; Auto Load opens the last set at the next visit', async () => {
  const ctx = await context(browser);
  let page = await open(ctx);
  await page.click('#Options1 summary');
  await page.check('#SavePassword1');
  await page.check('#AutoLoadLevelSet1');
  await page.fill('#ePW', 'l002');
  await page.click('#SpeedButton1');
  await page.waitForFunction(() => document.querySelector('#Panel2 .text').textContent === 'PC LEVEL 2');
  await page.close();
  page = await open(ctx);
  let s = await shown(page);
  assert.equal(s.Panel2, 'PC LEVEL 2');
  assert.equal(s.code, 'L002');
  const stored = await page.evaluate(() => localStorage.getItem('GDLKIT HKEY_CURRENT_USER'));
  assert.match(stored, /\[Software\\Vandrel\\GDLKIT\\Play\\Passwords\]/);
  assert.match(stored, /"two-levels"="L002"/);
  await page.close();
  // No set in the address: the last one, from the browser's own store.
  page = await open(ctx, '');
  s = await shown(page);
  assert.equal(s.Panel1, 'Glimmerdeep: Test Set');
  assert.equal(s.Panel2, 'PC LEVEL 2');
  await ctx.close();
});

test('without Web Serial the page says so in one line, and still reads the set and its codes', async () => {
  const ctx = await context(browser, { noSerial: true });
  const page = await open(ctx);
  const s = await shown(page);
  assert.ok(s.noSerial);
  assert.match(await page.textContent('#noserial'), /Chrome, Edge and Opera/);
  assert.ok(await page.isHidden('#connect'));
  assert.equal(s.Panel1, 'Glimmerdeep: Test Set');
  await page.fill('#ePW', 'L002');
  await page.click('#SpeedButton1');
  await page.waitForFunction(() => document.querySelector('#Panel2 .text').textContent === 'PC LEVEL 2');
  assert.equal((await shown(page)).status, ' Unable to open Com1!');
  await ctx.close();
});

test('the gallery links to the player, which opens the gallery\'s set', async () => {
  const python = await servePython(path.join(www, 'gallery'));
  const ctx = await context(browser);
  const page = await ctx.newPage();
  await page.goto(python.url + 'index.html');
  await page.click('text=Play on your Lynx');
  await page.waitForSelector('body[data-ready="1"]');
  assert.match(page.url(), /\/play\/\?set=GemQuest\.gdl$/);
  const s = await shown(page);
  assert.equal(s.Panel1, 'Glimmerdeep: GemQuest');
  assert.equal(s.Panel2, 'PC LEVEL 1');
  assert.notEqual(s.Panel3, '');
  await ctx.close();
  python.close();
});

// A message box of the core's: its text, then the button named answer.
async function answer(page, text, button) {
  const asking = (t) => document.querySelector('#box').open && document.querySelector('#boxText').textContent === t;
  await page.waitForFunction(asking, text);
  await page.click(`#boxButtons button:text-is("${button}")`);
  // The same dialog may show the next message at once: wait until this one has gone.
  await page.waitForFunction(
    (t) => !(document.querySelector('#box').open && document.querySelector('#boxText').textContent === t),
    text
  );
}

test('the hint is offered at the third RE-PLAY and shown in its dialog; F4 shows it again', async () => {
  const ctx = await context(browser);
  const page = await open(ctx, '?set=GemQuest.gdl');
  await page.click('#SpeedButton1');
  for (let i = 0; i < 2; ++i) await page.click('#SpeedButton1');
  await page.click('#SpeedButton1');
  await answer(page, 'You seem to be having trouble with this level. Would you like a hint?', 'Yes');
  await page.waitForSelector('#hint[open]');
  assert.equal(await page.textContent('#hintCaption'), 'Hint for Level 1');
  assert.equal(await page.textContent('#hintLabel'), 'GLIMMER GATE');
  assert.match(await page.inputValue('#hintMemo'), /\S/);
  await page.click('#hintOK');
  await page.waitForSelector('#hint[open]', { state: 'detached' });
  assert.ok(await page.isEnabled('#Hint1'));
  await page.keyboard.press('F4');
  await page.waitForSelector('#hint[open]');
  await page.click('#hintOK');
  assert.deepEqual(page.problems, []);
  await ctx.close();
});

test('the wizard code and RESTART engage wizard mode: <BACK reaches the hidden levels', async () => {
  const ctx = await context(browser);
  const page = await open(ctx, '?set=GemQuest.gdl');
  await page.fill('#ePW', 'glim');
  await page.click('#SpeedButton4');
  await answer(page, 'Are you sure?', 'Yes');
  await answer(page, 'Wizard Mode Engaged.', 'OK');
  await page.waitForFunction(() => document.title === 'GDL Level Set Player (Wizard Mode)');
  assert.ok(await page.isVisible('#SpeedButton6'));
  assert.ok(await page.isHidden('#SpeedButton2'));
  await page.click('#SpeedButton7');
  await page.waitForFunction(() => document.querySelector('#Panel2 .text').textContent === 'PC LEVEL 2');
  for (let i = 0; i < 2; ++i) await page.click('#SpeedButton6');
  await page.waitForFunction(() => document.querySelector('#Panel2 .text').textContent === 'PC LEVEL 0');
  await page.keyboard.press('Control+B');
  await page.waitForFunction(() => document.querySelector('#Panel2 .text').textContent === 'PC LEVEL H1');
  assert.equal((await shown(page)).Panel3, 'THE SECRET VAULT');
  await ctx.close();
});

test('LOAD: a set picked through the chooser is offered for its list and found there after a reload', async () => {
  const ctx = await context(browser);
  let page = await open(ctx, '', { ready: false });
  // No set and an empty list: the chooser opens its file dialog at once.
  await page.waitForSelector('#open[open]');
  await page.setInputFiles('#openFile', path.join(www, 'GemQuest.gdl'));
  await answer(page, 'Add GemQuest to Level Set List?', 'Yes');
  await page.waitForFunction(() => document.querySelector('#Panel1 .text').textContent === 'Glimmerdeep: GemQuest');
  await page.close();

  page = await open(ctx, '', { ready: false });
  await page.waitForSelector('#load[open]');
  assert.deepEqual(await page.$$eval('#cLevelSets option', (o) => o.map((x) => x.textContent)), ['GemQuest']);
  assert.equal(await page.textContent('#Label2'), 'Copyright \u00a92025 The GemQuest Team');
  await page.click('#bOK');
  await page.waitForFunction(() => document.querySelector('#Panel1 .text').textContent === 'Glimmerdeep: GemQuest');
  assert.ok(await page.isHidden('#load'));
  assert.deepEqual(page.problems, []);
  await ctx.close();
});

test('a set dropped on the page is loaded and offered for the list', async () => {
  const ctx = await context(browser);
  const page = await open(ctx);
  const bytes = Array.from(fs.readFileSync(path.join(www, 'GemQuest.gdl')));
  await page.evaluate((b) => {
    const data = new DataTransfer();
    data.items.add(new File([Uint8Array.from(b)], 'GemQuest.gdl'));
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
  }, bytes);
  await answer(page, 'Add GemQuest to Level Set List?', 'No');
  await page.waitForFunction(() => document.querySelector('#Panel1 .text').textContent === 'Glimmerdeep: GemQuest');
  await ctx.close();
});

test('measure: navigation to a ready player with the sample set', async () => {
  const ctx = await context(browser);
  const times = [];
  for (let i = 0; i < 5; ++i) {
    const page = await open(ctx, '?set=GemQuest.gdl');
    times.push(await page.evaluate(() => performance.getEntriesByName('gdl-ready')[0]?.startTime));
    await page.close();
  }
  times.sort((a, b) => a - b);
  console.log(`ready after ${times.map((t) => t.toFixed(0)).join(', ')} ms (median ${times[2].toFixed(0)} ms)`);
  await ctx.close();
});
