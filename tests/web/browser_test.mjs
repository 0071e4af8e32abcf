// qreport serve in a real browser: the system's chromium, headless, driven by playwright-core.
// Builds a root of client folders from the demo client, starts the server, and works the pages as
// a user does: the clients list, the options dialog (its rules answered by the server), Help,
// Cancel, the short route's dialog, the report's pages, downloads and Print; then the same way with
// the keyboard alone, with axe-core's WCAG A and AA rules run on each page. The reports written
// from the pages are compared byte for byte with `qreport run` and the same answers.
//
// Environment: QREPORT_CLI the qreport program; QREPORT_WEB_OUT where the screenshots go
// (default: a temporary folder); CHROMIUM the browser (default /usr/bin/chromium).
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import readline from 'node:readline';
import { createRequire } from 'node:module';
import { chromium } from 'playwright-core';

const axeSource = fs.readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');

const cli = process.env.QREPORT_CLI;
if (!cli) throw new Error('QREPORT_CLI names the qreport program');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'qreport-web-'));
const out = process.env.QREPORT_WEB_OUT || path.join(work, 'shots');
fs.mkdirSync(out, { recursive: true });
const root = path.join(work, 'root');
const reference = path.join(work, 'reference');
const rates = path.join(work, 'rates');
const printLog = path.join(work, 'print.log');

function qreport(args, cwd) {
  const env = { ...process.env };
  for (const name of ['QREPORT_ANSWERS', 'QREPORT_PRINTER_REPLY', 'DISPLAY', 'WAYLAND_DISPLAY']) delete env[name];
  const r = spawnSync(cli, args, { cwd, env, encoding: 'latin1' });
  assert.equal(r.status, 0, `qreport ${args.join(' ')}: ${r.stderr}`);
  return r;
}

// A client folder as the demo writes it, without a report.
function client(dir, payrollDate) {
  fs.cpSync(path.join(work, 'pristine'), dir, { recursive: true });
  if (payrollDate) {
    const file = path.join(dir, 'CLIENT');
    const bytes = fs.readFileSync(file);
    bytes.write(payrollDate, 120, 'latin1');
    fs.writeFileSync(file, bytes);
  }
}

// `qreport run` (with `options`) of a fresh copy of the client with `answers`: its folder.
function referenceRun(name, payrollDate, answers, options = []) {
  const dir = path.join(reference, name);
  client(dir, payrollDate);
  fs.writeFileSync(path.join(work, name + '.answers'), answers, 'latin1');
  qreport(['run', dir, '--answers', path.join(work, name + '.answers'), '--printer-reply', '', ...options], rates);
  return dir;
}

// The report `qreport run` writes for a fresh copy of the client with `answers`.
function referenceReport(name, payrollDate, answers) {
  return fs.readFileSync(path.join(referenceRun(name, payrollDate, answers), 'report.txt'));
}

// Setup: the demo client, its rates and letterhead beside the root, and the client copies.
qreport(['demo', path.join(work, 'pristine')], work);
fs.mkdirSync(rates);
for (const f of ['FICA.RAT', 'prep']) fs.renameSync(path.join(work, 'pristine', f), path.join(rates, f));
for (const f of ['report.txt', 'report.pdf', 'answers']) fs.rmSync(path.join(work, 'pristine', f), { force: true });
fs.mkdirSync(root);
fs.mkdirSync(reference);
client(path.join(root, 'demo'));
client(path.join(root, 'second'));
client(path.join(root, 'early'), '063004');
client(path.join(root, 'keys'));

const env = { ...process.env, QREPORT_PRINT_LOG: printLog };
for (const name of ['QREPORT_ANSWERS', 'QREPORT_PRINTER_REPLY', 'DISPLAY', 'WAYLAND_DISPLAY']) delete env[name];
const server = spawn(cli, ['serve', '--root', root, '--rates-dir', rates], { env, stdio: ['ignore', 'pipe', 'inherit'] });
const firstLine = await new Promise((resolve, reject) => {
  readline.createInterface({ input: server.stdout }).once('line', resolve);
  server.once('exit', (code) => reject(new Error('qreport serve ended with ' + code)));
});
const match = firstLine.match(/^qreport: serving (.*) at (http:\/\/127\.0\.0\.1:(\d+)\/\?token=([0-9a-f]{32}))$/);
assert.ok(match, 'start line: ' + firstLine);
const url = match[2];
const base = `http://127.0.0.1:${match[3]}`;

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});
let failed = false;
const started = Date.now();
// The violations of WCAG 2.x levels A and AA that axe-core finds in the page as it is now; none
// is allowed. The script is evaluated through the browser's own channel, which the page's content
// policy does not cover.
async function axeCheck(page, what) {
  if (!(await page.evaluate(() => typeof window.axe !== 'undefined'))) await page.evaluate(axeSource);
  const violations = await page.evaluate(async () => {
    const result = await window.axe.run(document, { runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa'] } });
    return result.violations.map((v) => v.id + ' (' + v.impact + '): ' + v.help + '\n    ' +
      v.nodes.slice(0, 3).map((n) => n.target.join(' ') + ' ' + n.failureSummary.replace(/\n/g, ' ')).join('\n    '));
  });
  assert.deepEqual(violations, [], what + ': accessibility violations');
}

// Presses Tab (or Shift+Tab) until the focused element matches `selector`; at most `limit` times.
async function tabTo(page, selector, limit = 60, key = 'Tab') {
  for (let i = 0; i < limit; i++) {
    if (await page.evaluate((s) => document.activeElement && document.activeElement.matches(s), selector)) return;
    await page.keyboard.press(key);
  }
  assert.fail('Tab never reached ' + selector);
}

async function step(what, body) {
  try {
    await body();
    console.log('ok   ' + what);
  } catch (e) {
    failed = true;
    console.log('FAIL ' + what + '\n' + (e && e.stack ? e.stack : e));
  }
}

try {
  const context = await browser.newContext({ viewport: { width: 1100, height: 760 }, acceptDownloads: true });
  const page = await context.newPage();
  page.setDefaultTimeout(15000);

  await step('a page without the token is refused', async () => {
    const other = await browser.newContext();
    const response = await (await other.newPage()).goto(base + '/');
    assert.equal(response.status(), 403);
    await other.close();
  });

  await step('the clients page lists the client folders and filters them', async () => {
    await page.goto(url);
    const row = page.locator('tr[data-client="demo"]');
    await row.waitFor();
    assert.match(await row.innerText(), /LAKESIDE HARDWARE & SUPPLY INC\s+Q2 2026\s+form/);
    assert.match(await page.locator('tr[data-client="early"]').innerText(), /short/);
    // The findings column counts what `qreport check` finds in the same folder.
    const env = { ...process.env };
    delete env.QREPORT_ANSWERS;
    const check = spawnSync(cli, ['check', path.join(root, 'demo'), '--rates-dir', rates, '--json'], { env, encoding: 'utf8' });
    const findings = JSON.parse(check.stdout).findings;
    assert.ok(findings.length > 0, 'the demo without answers has findings');
    // The row says how many of each kind in words; its button lists them, asked for then.
    const errors = findings.filter((f) => f.severity === 'error').length;
    const words = [errors ? errors + (errors === 1 ? ' error' : ' errors') : null,
      findings.length > errors ? (findings.length - errors) + (findings.length - errors === 1 ? ' warning' : ' warnings') : null];
    const toggle = row.locator('button.findings-toggle');
    assert.equal(await toggle.innerText(), words.filter(Boolean).join(', '));
    await toggle.click();
    const listed = page.locator('tr.findings-row li');
    await listed.first().waitFor();
    assert.deepEqual(await listed.allInnerTexts(),
      findings.map((f) => `${f.severity === 'error' ? 'Error' : 'Warning'} ${f.code}: ${f.message}`));
    assert.equal(await toggle.getAttribute('aria-expanded'), 'true');
    await toggle.click();
    await listed.first().waitFor({ state: 'detached' });
    await page.locator('#filter').fill('second');
    await row.waitFor({ state: 'detached' });
    assert.equal(await page.locator('tr[data-client="second"]').isVisible(), true);
    assert.equal(await page.locator('#list-summary').innerText(), 'Clients 1 to 1 of 1 (of 4 in all)');
    await page.locator('#filter').fill('');
    await row.waitFor();
  });

  await step('the dialog shows the table\'s captions, access keys and order', async () => {
    await page.locator('tr[data-client="demo"] a.client-link').click();
    await page.locator('#c211').waitFor();
    assert.equal(await page.locator('#c106').innerText(),
      '7e. Prior quarter\u2019s social security and Medicare taxes (Attach Form 941c)');
    assert.equal(await page.locator('#c115').innerText(), 'Preparer Lines (Codes) &LH1%, etc');
    assert.equal(await page.locator('#c401').getAttribute('aria-keyshortcuts'), 'Alt+D');
    assert.equal(await page.locator('#c403 u').innerText(), 'H');
    const order = await page.$$eval('.dialog-body [data-id]', (nodes) => nodes.map((n) => Number(n.dataset.id)));
    assert.deepEqual(order.slice(0, 3), [202, 203, 204]);
    assert.deepEqual(order.slice(-3), [401, 402, 403]);
    // Tab goes from line 11 to the designee's name, as the table orders them.
    await page.locator('#c211').focus();
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'c213');
  });

  await step('the depositor boxes exclude each other through the server', async () => {
    await page.locator('#c220').check();
    await page.locator('#c221').check();
    await page.waitForFunction(() => !document.querySelector('#c220').checked);
  });

  await step('Done writes the report `qreport run` writes from the same answers', async () => {
    await page.locator('#c211').fill('$48,791.97');
    await page.screenshot({ path: path.join(out, 'web-dialog.png'), fullPage: false });
    await page.locator('#c401').click();
    // The run and the rendering of every page take longer on a busy machine than a click does.
    await page.locator('img[alt="Page 1"]').waitFor({ timeout: 90000 });
    // Pages past the second load lazily, as the page is scrolled to them: each is brought into view
    // and must arrive whole (a broken picture is complete with no width).
    const pictures = page.locator('img[alt^="Page "]');
    for (let i = 0; i < await pictures.count(); i++) {
      await pictures.nth(i).scrollIntoViewIfNeeded();
      await page.waitForFunction((img) => img.complete && img.naturalWidth > 0, await pictures.nth(i).elementHandle(),
        { timeout: 90000 });
    }
    await page.evaluate(() => window.scrollTo(0, 0));
    const written = fs.readFileSync(path.join(root, 'demo', 'report.txt'));
    const expected = referenceReport('demo', null, '220=1\n221=1\n211=$48,791.97\n401\n');
    assert.ok(written.equals(expected), 'report.txt differs from qreport run with the same answers');
    assert.ok(written.includes(Buffer.from('48791.97')), 'line 11 is on the form');
    const rows = await page.$$eval('#lines tbody tr', (trs) => trs.map((tr) => [...tr.cells].map((td) => td.textContent)));
    assert.deepEqual(rows.find((r) => r[0] === '11'), ['11', '48791.97']);
    await page.screenshot({ path: path.join(out, 'web-report.png'), fullPage: false });
  });

  await step('the report page offers its PDF and report.txt', async () => {
    const [download] = await Promise.all([page.waitForEvent('download'), page.getByText('Download report.txt').click()]);
    const saved = path.join(work, 'downloaded.txt');
    await download.saveAs(saved);
    assert.ok(fs.readFileSync(saved).equals(fs.readFileSync(path.join(root, 'demo', 'report.txt'))));
    const [pdf] = await Promise.all([page.waitForEvent('download'), page.getByText('Download PDF').click()]);
    await pdf.saveAs(path.join(work, 'downloaded.pdf'));
    assert.equal(fs.readFileSync(path.join(work, 'downloaded.pdf')).subarray(0, 5).toString(), '%PDF-');
  });

  await step('the report page shows the current return first, the printed lines one click away', async () => {
    const current = await page.$$eval('#current-return tbody tr',
      (trs) => trs.map((tr) => [...tr.cells].map((td) => td.textContent)));
    assert.deepEqual(current.find((r) => r[0] === '13'), ['13', 'Total deposits for the quarter', '', '48,791.97']);
    assert.equal(await page.locator('#lines').isVisible(), false);
    await page.locator('.legacy-lines summary').focus();
    await page.keyboard.press('Enter');
    assert.equal(await page.locator('#lines').isVisible(), true);
    const [sheet] = await Promise.all([page.waitForEvent('download'),
      page.getByText('Download filing sheet (PDF)').click()]);
    await sheet.saveAs(path.join(work, 'return.pdf'));
    assert.equal(fs.readFileSync(path.join(work, 'return.pdf')).subarray(0, 5).toString(), '%PDF-');
    const [json] = await Promise.all([page.waitForEvent('download'), page.getByText('Download return JSON').click()]);
    await json.saveAs(path.join(work, 'return.json'));
    assert.equal(JSON.parse(fs.readFileSync(path.join(work, 'return.json'), 'utf8')).lines['13'], 4879197);
  });

  await step('Print hands the report on as the command line does', async () => {
    await page.locator('#print').click();
    const select = page.locator('#destination');
    assert.equal(await select.locator('option').first().innerText(), 'PDF file');
    await page.locator('.msgbox button.ok').click();
    const box = page.locator('.msgbox .msgtext');
    await box.waitFor();
    const command = `${path.join(root, 'demo', 'report.txt')},PDF,FILE,/NP`;
    assert.equal(await box.innerText(), 'Handed to the print utility:\n' + command);
    assert.equal(fs.readFileSync(printLog, 'latin1'), command + '\n');
    await page.locator('.msgbox button.ok').click();
  });

  await step('the Schedule B box writes what `qreport run --schedule-b` writes and shows it beside the report', async () => {
    const box = page.locator('#schedule-b');
    await box.waitFor();
    assert.equal(await box.isChecked(), false);
    const report = fs.readFileSync(path.join(root, 'demo', 'report.txt'));
    await box.check();
    // Below the report's pages, so it loads once it is scrolled to.
    const picture = page.locator('img[alt="Schedule B page 1"]');
    await picture.waitFor({ state: 'attached', timeout: 90000 });
    await picture.scrollIntoViewIfNeeded();
    await page.waitForFunction((img) => img.complete && img.naturalWidth > 0, await picture.elementHandle(),
      { timeout: 90000 });
    const expected = referenceRun('demo-schedule-b', null, '220=1\n221=1\n211=$48,791.97\n401\n', ['--schedule-b']);
    const written = fs.readFileSync(path.join(root, 'demo', 'scheduleb.txt'));
    assert.ok(written.equals(fs.readFileSync(path.join(expected, 'scheduleb.txt'))),
      'scheduleb.txt differs from qreport run --schedule-b');
    assert.ok(fs.readFileSync(path.join(root, 'demo', 'report.txt')).equals(report), 'report.txt changed');
    // Unticked, the page goes and the file stays.
    await box.uncheck();
    await picture.waitFor({ state: 'detached' });
    assert.ok(fs.existsSync(path.join(root, 'demo', 'scheduleb.txt')));
    await page.evaluate(() => window.scrollTo(0, 0));
  });

  await step('Help shows its message; the form boxes exclude each other; Cancel writes nothing', async () => {
    await page.goto(url + '#/dialog/second');
    await page.locator('#c202').waitFor();
    await page.locator('#c202').focus();
    await page.keyboard.press('Alt+h');  // the Help button's access key
    const box = page.locator('.msgbox');
    await box.waitFor();
    assert.equal(await box.locator('.caption').innerText(), 'Help');
    assert.match(await box.locator('.msgtext').innerText(), /^Fill in the appropriate amounts if applicable\.\n/);
    assert.match(await box.locator('.msgtext').innerText(), /appropriate line from the letterhead file\.$/);
    await box.locator('button.ok').click();
    await page.locator('#c243').check();
    await page.waitForFunction(() => !document.querySelector('#c242').checked);
    await page.locator('#c402').click();
    await page.locator('#filter').waitFor();
    assert.equal(fs.existsSync(path.join(root, 'second', 'report.txt')), false);
  });

  await step('the short route\'s report date dialog writes the report `qreport run` writes', async () => {
    await page.goto(url + '#/dialog/early');
    await page.locator('#c131').waitFor();
    assert.equal(await page.locator('.dialog .titlebar').innerText(), 'Quarterly Report');
    assert.equal(await page.locator('#c101').inputValue(), '063004');
    await page.locator('#c131').fill('12.5');
    await page.locator('#c103').click();
    await page.locator('img[alt="Page 1"]').waitFor();
    const expected = referenceReport('early', '063004', '131=12.5\n103\n');
    assert.ok(fs.readFileSync(path.join(root, 'early', 'report.txt')).equals(expected));
  });

  await step('the clients page, the dialog and the report page with the keyboard alone pass axe-core', async () => {
    await page.goto(url);
    await page.locator('tr[data-client="keys"]').waitFor();
    assert.equal(await page.evaluate(() => document.activeElement.id), 'filter');
    await axeCheck(page, 'the clients page');
    await page.keyboard.type('keys');
    await page.locator('tr[data-client="demo"]').waitFor({ state: 'detached' });
    await tabTo(page, 'tr[data-client="keys"] a.client-link');
    // The focus shows: the page's own outline, not the browser's default.
    assert.equal(await page.evaluate(() => getComputedStyle(document.activeElement).outlineWidth), '3px');
    await page.keyboard.press('Enter');
    await page.locator('#c211').waitFor();
    await axeCheck(page, 'the dialog');
    // Each text box is labelled by its caption.
    const caption = await page.evaluate(() => {
      const box = document.getElementById('c211');
      return document.getElementById(box.getAttribute('aria-labelledby')).textContent;
    });
    assert.match(caption, /^11\b/);
    await tabTo(page, '#c221');
    await page.keyboard.press('Space');
    await page.waitForFunction(() => document.querySelector('#c221').checked);
    await tabTo(page, '#c211', 80, 'Shift+Tab');
    await page.keyboard.type('$48,791.97');
    await page.keyboard.press('Alt+d');
    await page.locator('img[alt="Page 1"]').waitFor({ timeout: 90000 });
    const expected = referenceReport('keys', null, '221=1\n211=$48,791.97\n401\n');
    assert.ok(fs.readFileSync(path.join(root, 'keys', 'report.txt')).equals(expected),
      'report.txt differs from qreport run with the same answers');
    await axeCheck(page, 'the report page');
    assert.equal(await page.locator('img[alt="Page 1"]').getAttribute('aria-describedby'), 'pages-note');
    await tabTo(page, '#print');
    await page.keyboard.press('Enter');
    await page.locator('#destination').waitFor();
    assert.equal(await page.evaluate(() => document.activeElement.id), 'destination');
    await axeCheck(page, 'the print box');
    await page.keyboard.press('Escape');
    await page.locator('#destination').waitFor({ state: 'detached' });
    assert.equal(await page.evaluate(() => document.activeElement.id), 'print');
    await tabTo(page, '.crumbs a', 80, 'Shift+Tab');
    await page.keyboard.press('Enter');
    await page.locator('#filter').waitFor();
  });

  await step('without JavaScript the page says what to use instead', async () => {
    const plain = await browser.newContext({ javaScriptEnabled: false });
    const bare = await plain.newPage();
    await bare.goto(url);
    assert.match(await bare.locator('main').innerText(), /need JavaScript.*qreport run/s);
    await plain.close();
  });
} finally {
  await browser.close();
  server.kill('SIGTERM');
  await new Promise((resolve) => server.once('exit', resolve));
  if (!failed) fs.rmSync(work, { recursive: true, force: true });
}
console.log(`browser suite: ${((Date.now() - started) / 1000).toFixed(1)} s` + (failed ? `, work folder ${work}` : ''));
process.exit(failed ? 1 : 0);
