// The console in headless Chromium, as a person uses it:
//   node console.test.js URL SCREENSHOT_DIR          the walk through the pages
//   node console.test.js URL SCREENSHOT_DIR --bench  the list's rendering time only
// URL is the line that `orvanectl serve` printed. Each step that fails ends
// the run with a message and exit code 1; a screenshot of every page is kept.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const [url, shots, mode] = process.argv.slice(2);
if (!url || !shots) {
  console.error('usage: node console.test.js URL SCREENSHOT_DIR [--bench]');
  process.exit(2);
}
const timeout = 120000;

function check(condition, what) {
  if (!condition) throw new Error('failed: ' + what);
  console.log('ok: ' + what);
}

async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'console-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--disable-dev-shm-usage'],
  });
  return {browser, profile};
}

async function shot(page, name) {
  await page.screenshot({path: path.join(shots, name + '.png'), fullPage: true});
}

async function text(page, selector) {
  await page.waitForSelector(selector, {timeout});
  return page.$eval(selector, (node) => node.textContent);
}

// The page at hash, once selector shows in it.
async function open(page, hash, selector) {
  await page.evaluate((h) => { location.hash = h; }, hash);
  await page.waitForSelector(selector, {timeout});
}

async function typeInto(page, selector, value) {
  await page.click(selector, {clickCount: 3});
  await page.keyboard.press('Backspace');
  await page.type(selector, value);
}

// Applies the plan shown and waits for the summary; its text.
async function applyPlan(page) {
  await page.waitForSelector('#plan-lines', {timeout});
  await page.click('#apply');
  await page.waitForSelector('#summary[data-exit]', {timeout});
  return {
    summary: await text(page, '#summary'),
    exit: await page.$eval('#summary', (node) => node.dataset.exit),
    progress: await text(page, '#progress'),
  };
}

async function walk(page) {
  const alerts = [];
  page.on('dialog', async (dialog) => { alerts.push(dialog.message()); await dialog.dismiss(); });
  await page.goto(url, {waitUntil: 'networkidle0', timeout});
  check(!page.url().includes('token='), 'the token leaves the address bar');
  await page.waitForSelector('#instances, #no-instances', {timeout});
  await shot(page, '01-instances');

  // The form: one refused value first, its rule beside its field.
  await open(page, '#/add', '#field-name');
  await page.type('#field-name', 'shop2');
  await page.keyboard.press('Tab');
  await page.waitForFunction(() => document.getElementById('field-db-name').value === 'shop2', {timeout});
  await typeInto(page, '#field-host', 'shop2.example');
  const proposedPort = await page.$eval('#field-port', (node) => node.value);
  await typeInto(page, '#field-port', '80');
  await typeInto(page, '#field-db-user', 'shopusr');
  await typeInto(page, '#field-db-owner', 'tqadmin');
  await page.type('#field-db-password', 'pw-typed-in');
  await page.click('#plan');
  await page.waitForFunction(() => document.getElementById('error-port').textContent !== '', {timeout});
  const refusal = await text(page, '#error-port');
  check(refusal.includes('a number from 1024 to 65535'), 'the refused port shows its rule beside the field: ' + refusal);
  check(await page.$('#plan-lines') === null, 'a refused value shows no plan');
  await shot(page, '02-form-refused');

  // The plan of the mended form, then its application.
  await typeInto(page, '#field-port', proposedPort);
  await page.click('#plan');
  const planned = await text(page, '#plan-lines');
  check(/tqconfig\.dat/i.test(planned), 'the plan names the data file it would change');
  check(!planned.includes('pw-typed-in'), 'the plan does not show the password');
  await shot(page, '03-plan-add');
  const added = await applyPlan(page);
  check(added.exit === '0' && added.summary.includes('instance shop2 added'), 'the add reaches its summary: ' + added.summary);
  await shot(page, '04-applied-add');

  // The instance's fields: the secret as set, never its value.
  await open(page, '#/instance/shop2', '#fields');
  const password = await text(page, 'td[data-field="db-password"]');
  check(password === 'set', 'the password reads "set"');
  await shot(page, '05-instance');

  // Creation and the database's set-up: the plan, then the status and
  // progress lines as they come, up to the summary message.
  await page.click('#action-create');
  await page.waitForSelector('#plan-lines', {timeout});
  await shot(page, '06-plan-create');
  const created = await applyPlan(page);
  check(created.exit === '0' && created.summary.includes('created successfully'), 'the creation reaches its summary: ' + created.summary);
  await shot(page, '07-applied-create');
  await open(page, '#/instance/shop2', '#action-db-create');
  await page.click('#action-db-create');
  const database = await applyPlan(page);
  check(database.exit === '0' && database.summary.includes('Database creation is completed'), 'the database set-up reaches its summary: ' + database.summary);
  check(/Creating database shop2/.test(database.progress) && /progress \d+%/.test(database.progress), 'its status and progress lines were streamed');
  await shot(page, '07-applied-db-create');

  await open(page, '#/', 'tr[data-name="shop2"]');
  const listed = await text(page, 'tr[data-name="shop2"] td.created');
  check(listed === 'yes', 'the instance is listed as created');
  check(await text(page, 'tr[data-name="shop2"] td.database') === 'created', 'its database is listed');
  await shot(page, '08-instances-created');

  // Markup typed into a field is shown as text and never runs.
  await open(page, '#/add', '#field-name');
  const markup = '<img src=x onerror=alert(1)>';
  await page.type('#field-name', markup);
  await page.click('#plan');
  await page.waitForFunction(() => document.getElementById('error-name').textContent !== '', {timeout});
  const named = await text(page, '#error-name');
  check(named.includes(markup), 'a refused name shows as the text it is: ' + named);
  check(await page.$('#main img') === null && alerts.length === 0, 'the markup made no element and ran nothing');
  await shot(page, '09-markup-as-text');

  await open(page, '#/machine', '#web-server');
  check((await text(page, '#web-server')).startsWith('Web server:'), 'the web server state is shown');
  await shot(page, '10-machine');
  await open(page, '#/log', '#log');
  check((await text(page, '#log')).includes('instance shop2 added'), 'the message log holds the session');
  await shot(page, '11-log');
}

// The list's rendering, from the navigation to its last row.
async function bench(page) {
  await page.goto(url, {waitUntil: 'networkidle0', timeout});
  await page.waitForSelector('#instances', {timeout});
  const count = await page.$$eval('#instances tbody tr', (rows) => rows.length);
  const rounds = Number(process.env.ROUNDS || 3);
  const times = [];
  for (let i = 0; i < rounds; ++i) {
    const started = Date.now();
    await page.reload({waitUntil: 'domcontentloaded', timeout});
    await page.waitForFunction((n) => document.querySelectorAll('#instances tbody tr').length === n,
      {timeout, polling: 'mutation'}, count);
    times.push((Date.now() - started) / 1000);
  }
  times.sort((a, b) => a - b);
  await shot(page, 'bench-instances');
  console.log(JSON.stringify({instances: count, render_seconds: times[Math.floor(times.length / 2)]}));
}

(async () => {
  fs.mkdirSync(shots, {recursive: true});
  const {browser, profile} = await launch();
  let failed = false;
  try {
    const page = await browser.newPage();
    await page.setViewport({width: 1200, height: 800});
    await (mode === '--bench' ? bench(page) : walk(page));
  } catch (error) {
    console.error(error.message);
    failed = true;
  } finally {
    await browser.close();
    fs.rmSync(profile, {recursive: true, force: true});
  }
  process.exit(failed ? 1 : 0);
})();
