// Screenshots of the page for the guide and the closing note:
//   node tests/web/shots.mjs OUTDIR
// The page plays the kit's sample set; the Lynx is lynxsim, as in the test.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { buildSample, context, launch, serve, site, startLynx, until } from './harness.mjs';

const out = path.resolve(process.argv[2] || 'shots');
fs.mkdirSync(out, { recursive: true });
const www = fs.mkdtempSync(path.join(os.tmpdir(), 'gdlshots-'));
fs.cpSync(site, www, { recursive: true });
buildSample(www);
const server = await serve(www);
const browser = await launch();
const lynx = await startLynx();
try {
  for (const [name, viewport] of [
    ['web-1280x800.png', { width: 1280, height: 800 }],
    ['web-390x844.png', { width: 390, height: 844 }],
  ]) {
    const ctx = await context(browser, { lynx, viewport });
    const page = await ctx.newPage();
    lynx.page = page;
    await page.goto(server.url + '?set=GemQuest.gdl');
    await page.waitForSelector('body[data-ready="1"]');
    await page.click('#connect');
    const before = lynx.events.filter((e) => e.event === 'answer').length;
    await page.click('#SpeedButton1');
    await until(() => lynx.events.filter((e) => e.event === 'answer').length > before, 'the answer');
    await page.waitForFunction(() => document.querySelector('#iStat').dataset.lamp === 'play');
    await page.screenshot({ path: path.join(out, name) });
    await ctx.close();
  }
  // The chooser over the page, and the page in a browser without Web Serial.
  const ctx = await context(browser, { noSerial: true, viewport: { width: 1280, height: 800 } });
  const page = await ctx.newPage();
  await page.goto(server.url + '?set=GemQuest.gdl');
  await page.waitForSelector('body[data-ready="1"]');
  await page.screenshot({ path: path.join(out, 'web-no-serial.png') });
  await ctx.close();
} finally {
  lynx.stop();
  await browser.close();
  server.close();
  fs.rmSync(www, { recursive: true, force: true });
}
