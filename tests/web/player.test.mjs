// GDLPlay's page in headless Chromium, with the Lynx played by lynxsim over a
// pseudo-terminal: the stand-in for navigator.serial carries the page's
// bytes to the simulator and its answers back.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { buildSample, context, kitBin, launch, linkData, serve, shown, site, startLynx, transcriptSends, until } from './harness.mjs';

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

async function open(ctx, query = `?set=${SET}`) {
  const page = await ctx.newPage();
  page.on('pageerror', (e) => console.error('page error:', e));
  await page.goto(server.url + query);
  await page.waitForSelector('body[data-ready="1"]');
  return page;
}

const statusIs = (page, text) =>
  page.waitForFunction((t) => document.querySelector('#Panel14 .text').textContent === t, text);

test('PLAY sends the bytes of the transcripts; the answer puts the level in play; a burst of 4 sends the next', async () => {
  const lynx = await startLynx();
  try {
    const ctx = await context(browser, { lynx });
    const page = await open(ctx);
    lynx.page = page;
    assert.equal((await shown(page)).Panel1, 'Glimmerdeep: Test Set');
    await page.click('#connect');
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
    await page.waitForFunction(() => document.querySelector('#iStat').dataset.lamp === 'off');
    const inPlay = await shown(page);
    assert.equal(inPlay.status, '');
    assert.equal(inPlay.Panel2, 'PC LEVEL 1');

    lynx.key('n');  // the player finished the level: four button bytes
    await until(() => lynx.levels().length === 2, 'the next level at lynxsim');
    assert.deepEqual(lynx.wire.slice(first.length), second);
    assert.equal(lynx.levels()[1].title, 'PC LEVEL 2');
    await page.waitForFunction(() => document.querySelector('#Panel2 .text').textContent === 'PC LEVEL 2');
    await ctx.close();
  } finally {
    lynx.stop();
  }
});

test('a Lynx that is off hears only the echo: "Lynx not responding" and the red lamp', async () => {
  const lynx = await startLynx(['--lynx-off']);
  try {
    const ctx = await context(browser, { lynx });
    const page = await open(ctx);
    lynx.page = page;
    await page.click('#connect');
    await page.click('#SpeedButton1');
    await statusIs(page, ' Lynx not responding on Com1!');
    assert.equal((await shown(page)).lamp, 'err');
    await ctx.close();
  } finally {
    lynx.stop();
  }
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
  const lynx = await startLynx();
  try {
    const ctx = await context(browser, { lynx });
    const page = await open(ctx);
    lynx.page = page;
    await page.click('#connect');
    await page.click('#SpeedButton1');
    await until(() => lynx.events.some((e) => e.event === 'answer'), 'the answer');
    await page.waitForFunction(() => document.querySelector('#iStat').dataset.lamp === 'off');
    await page.evaluate(() => window.__gdlWireUnplug());
    await statusIs(page, ' Warning: Device Removed on Com1.');
    assert.equal((await shown(page)).lamp, 'warn');
    await page.click('#SpeedButton1');
    await until(() => lynx.levels().length === 2, 'the level sent again after the port was opened again');
    assert.equal(lynx.opens.length, 2);
    await ctx.close();
  } finally {
    lynx.stop();
  }
});

test('a saved code survives a reload', async () => {
  const ctx = await context(browser);
  let page = await open(ctx);
  await page.click('#Options1 summary');
  await page.check('#SavePassword1');
  await page.fill('#ePW', 'l002');
  await page.click('#SpeedButton1');
  await page.waitForFunction(() => document.querySelector('#Panel2 .text').textContent === 'PC LEVEL 2');
  await page.close();
  page = await open(ctx);
  const s = await shown(page);
  assert.equal(s.Panel2, 'PC LEVEL 2');
  assert.equal(s.code, 'L002');
  const stored = await page.evaluate(() => localStorage.getItem('GDLKIT HKEY_CURRENT_USER'));
  assert.match(stored, /\[Software\\Vandrel\\GDLKIT\\Play\\Passwords\]/);
  assert.match(stored, /"two-levels"="L002"/);
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
  const ctx = await context(browser);
  const page = await ctx.newPage();
  await page.goto(server.url + 'gallery/index.html');
  await page.click('text=Play on your Lynx');
  await page.waitForSelector('body[data-ready="1"]');
  assert.match(page.url(), /\/gallery\/play\/\?set=GemQuest\.gdl$/);
  const s = await shown(page);
  assert.equal(s.Panel1, 'Glimmerdeep: GemQuest');
  assert.equal(s.Panel2, 'PC LEVEL 1');
  assert.notEqual(s.Panel3, '');
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
