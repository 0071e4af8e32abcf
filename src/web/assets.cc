#include "web/assets.h"

namespace qreport::web {

const std::string_view kIndexHtml = R"QR(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="qreport-token" content="{{TOKEN}}">
<title>qreport</title>
<link rel="stylesheet" href="/app.css">
<script src="/app.js" defer></script>
</head>
<body>
<header class="top"><a href="#/" class="brand">qreport</a><span class="sub">quarterly payroll-tax reports</span></header>
<main id="view" aria-live="polite"></main>
<div id="modal-root"></div>
</body>
</html>
)QR";

const std::string_view kAppJs = R"QR('use strict';
// The pages of qreport serve: the clients list, a client's dialog and its report. The dialog is
// drawn from the table the server sends; every change of a control goes to the server, which
// applies the dialog's own rule and answers with the controls' texts and marks.
(function () {
  const token = document.querySelector('meta[name="qreport-token"]').content;
  const view = document.getElementById('view');
  const modalRoot = document.getElementById('modal-root');
  // Dialog units to pixels: a quarter of the average character width across, an eighth of the
  // character height down, for an 8-point font, enlarged for the page.
  const ZOOM = 1.4, UNIT_X = 1.5 * ZOOM, UNIT_Y = 1.625 * ZOOM;

  async function api(method, path, body) {
    const init = { method, headers: {}, credentials: 'same-origin' };
    if (method !== 'GET') {
      init.headers['X-Qreport-Token'] = token;
      init.headers['Content-Type'] = 'application/json';
      init.body = JSON.stringify(body || {});
    }
    const response = await fetch(path, init);
    let data = null;
    try { data = await response.json(); } catch (e) { data = null; }
    if (!response.ok) {
      const error = new Error((data && data.error) || ('The server answered ' + response.status));
      error.status = response.status;
      throw error;
    }
    return data;
  }

  function el(tag, attrs, ...children) {
    const node = document.createElement(tag);
    for (const [key, value] of Object.entries(attrs || {})) {
      if (value === null || value === undefined || value === false) continue;
      if (key === 'class') node.className = value;
      else if (key === 'text') node.textContent = value;
      // Through the style object: the page's policy refuses style attributes.
      else if (key === 'style') node.style.cssText = value;
      else if (key.startsWith('on')) node.addEventListener(key.slice(2), value);
      else node.setAttribute(key, value === true ? '' : value);
    }
    for (const child of children) {
      if (child === null || child === undefined) continue;
      node.append(child instanceof Node ? child : document.createTextNode(String(child)));
    }
    return node;
  }

  const clientPath = (name) => '/api/clients/' + encodeURIComponent(name);

  // Message boxes: modal, one at a time, each answered with OK.
  let modalChain = Promise.resolve();
  function messageBox(caption, text) {
    modalChain = modalChain.then(() => new Promise((resolve) => {
      const before = document.activeElement;
      const ok = el('button', { class: 'ok', type: 'button' }, 'OK');
      const box = el('div', { class: 'msgbox', role: 'alertdialog', 'aria-modal': 'true', 'aria-label': caption },
        el('div', { class: 'caption' }, caption),
        el('div', { class: 'msgtext' }, text.replace(/\r\n/g, '\n')),
        el('div', { class: 'buttons' }, ok));
      const backdrop = el('div', { class: 'backdrop' }, box);
      const close = () => {
        backdrop.remove();
        if (before && before.focus) before.focus();
        resolve();
      };
      ok.addEventListener('click', close);
      backdrop.addEventListener('keydown', (e) => {
        if (e.key === 'Escape' || e.key === 'Enter') { e.preventDefault(); close(); }
        if (e.key === 'Tab') { e.preventDefault(); ok.focus(); }
      });
      modalRoot.append(backdrop);
      ok.focus();
    }));
    return modalChain;
  }
  function showMessages(messages) {
    let last = Promise.resolve();
    for (const m of messages || []) last = messageBox(m.caption, m.text);
    return last;
  }

  function formatTime(seconds) {
    if (seconds === null || seconds === undefined) return '';
    const d = new Date(seconds * 1000);
    const pad = (n) => String(n).padStart(2, '0');
    return d.getFullYear() + '-' + pad(d.getMonth() + 1) + '-' + pad(d.getDate()) + ' ' + pad(d.getHours()) + ':' +
      pad(d.getMinutes());
  }

  // ---- Clients -------------------------------------------------------------------------------
  // The number of the pre-filing checks' findings; each one's sentence shows on hover.
  function findingsCell(findings) {
    const errors = findings.filter((f) => f.severity === 'error').length;
    const cell = el('td', { class: 'findings' + (errors ? ' errors' : findings.length ? ' warnings' : ''),
      title: findings.map((f) => f.severity + ' ' + f.code + ': ' + f.message).join('\n') || 'no findings' },
      String(findings.length));
    return cell;
  }

  async function showClients() {
    document.title = 'qreport: clients';
    const data = await api('GET', '/api/clients');
    const filter = el('input', { type: 'search', id: 'filter', placeholder: 'Type to filter by client or employer',
      'aria-label': 'Filter clients', autocomplete: 'off' });
    const rows = data.clients.map((c) => {
      const row = el('tr', { 'data-client': c.name },
        el('td', {}, el('a', { href: '#/dialog/' + encodeURIComponent(c.name), class: 'client-link' }, c.name)),
        el('td', {}, c.employer),
        el('td', {}, c.quarter ? 'Q' + c.quarter + ' ' + c.year : c.year),
        el('td', {}, c.path === 'form' ? 'form' : 'short'),
        el('td', {}, c.report !== null ? el('a', { href: '#/report/' + encodeURIComponent(c.name) },
          formatTime(c.report)) : '\u2014'),
        findingsCell(c.findings));
      row.dataset.search = (c.name + ' ' + c.employer).toLowerCase();
      return row;
    });
    const body = el('tbody', {}, ...rows);
    const empty = el('p', { class: 'empty', hidden: rows.length > 0 }, 'No client folders here.');
    filter.addEventListener('input', () => {
      const words = filter.value.toLowerCase().split(/\s+/).filter(Boolean);
      let shown = 0;
      for (const row of rows) {
        const match = words.every((w) => row.dataset.search.includes(w));
        row.hidden = !match;
        if (match) shown++;
      }
      empty.hidden = shown > 0;
      empty.textContent = rows.length ? 'No client matches.' : 'No client folders here.';
    });
    view.replaceChildren(
      el('h1', {}, 'Clients'),
      el('p', { class: 'root' }, 'Folder: ', el('code', {}, data.root)),
      filter,
      el('table', { class: 'clients' },
        el('thead', {}, el('tr', {}, el('th', {}, 'Client'), el('th', {}, 'Employer'), el('th', {}, 'Quarter'),
          el('th', {}, 'Path'), el('th', {}, 'Last report'), el('th', {}, 'Findings'))),
        body),
      empty);
    filter.focus();
  }

  // ---- Dialog --------------------------------------------------------------------------------
  function caption(text, at) {
    const span = el('span', { class: 'caption-text' });
    if (at < 0 || at >= text.length) {
      span.textContent = text;
    } else {
      span.append(text.slice(0, at), el('u', {}, text[at]), text.slice(at + 1));
    }
    return span;
  }

  async function showDialog(name) {
    const opened = await api('POST', clientPath(name) + '/open');
    const table = opened.dialog;
    document.title = 'qreport: ' + name;
    const session = opened.session;
    const controls = new Map();
    // Alt and a caption's underlined letter act on that control, as in the dialog's other forms.
    const mnemonics = new Map();
    let queue = Promise.resolve();
    let finished = false;

    function apply(state) {
      for (const [id, text] of Object.entries(state.texts || {})) {
        const input = controls.get(Number(id));
        if (input && input !== document.activeElement && input.value !== text) input.value = text;
      }
      for (const [id, checked] of Object.entries(state.checks || {})) {
        const box = controls.get(Number(id));
        if (box) box.checked = checked;
      }
    }

    function send(event) {
      queue = queue.then(async () => {
        if (finished) return;
        let state;
        try {
          state = await api('POST', '/api/sessions/' + session + '/event', event);
        } catch (e) {
          await messageBox('qreport', e.message);
          return;
        }
        apply(state);
        await showMessages(state.messages);
        if (state.ended) {
          finished = true;
          if (state.cancelled) {
            location.hash = '#/';
          } else {
            await runReport();
          }
        }
      });
      return queue;
    }

    async function runReport() {
      form.classList.add('busy');
      status.textContent = 'Writing the report\u2026';
      try {
        const result = await api('POST', '/api/sessions/' + session + '/run');
        await showMessages(result.messages);
        location.hash = '#/report/' + encodeURIComponent(name);
      } catch (e) {
        status.textContent = '';
        form.classList.remove('busy');
        await messageBox('qreport', e.message);
        if (e.status === 409) {
          status.replaceChildren(el('button', { type: 'button', class: 'retry', onclick: () => runReport() },
            'Write the report again'));
        }
      }
    }

    const form = el('div', { class: 'dialog-body', role: 'group', 'aria-label': table.title,
      style: 'width:' + Math.round(table.width * UNIT_X) + 'px;height:' + Math.round(table.height * UNIT_Y) + 'px' });
    for (const c of table.controls) {
      const style = 'left:' + Math.round(c.x * UNIT_X) + 'px;top:' + Math.round(c.y * UNIT_Y) + 'px;width:' +
        Math.round(c.w * UNIT_X) + 'px;height:' + Math.round(c.h * UNIT_Y) + 'px';
      const key = c.mnemonic ? c.mnemonic.toLowerCase() : null;
      let node;
      if (c.kind === 'label') {
        node = el('div', { class: 'ctl label', style, id: 'c' + c.id }, caption(c.text, c.mnemonicAt));
      } else if (c.kind === 'frame') {
        node = el('div', { class: 'ctl frame', style, id: 'c' + c.id });
      } else if (c.kind === 'text') {
        const input = el('input', { type: 'text', class: 'ctl text', style, id: 'c' + c.id, 'data-id': c.id,
          value: opened.texts[String(c.id)] || '', autocomplete: 'off', spellcheck: 'false' });
        input.addEventListener('input', () => send({ id: c.id, text: input.value }));
        controls.set(c.id, input);
        node = input;
      } else if (c.kind === 'check') {
        const box = el('input', { type: 'checkbox', id: 'c' + c.id, 'data-id': c.id,
          'aria-keyshortcuts': key ? 'Alt+' + c.mnemonic : null });
        if (key) mnemonics.set(key, () => box.click());
        box.checked = !!opened.checks[String(c.id)];
        box.addEventListener('change', () => send({ id: c.id, text: box.checked ? '1' : '0' }));
        controls.set(c.id, box);
        node = el('label', { class: 'ctl check', style }, box, caption(c.text, c.mnemonicAt));
      } else {
        node = el('button', { type: 'button', class: 'ctl button' + (c.centred ? ' centred' : ''), style,
          id: 'c' + c.id, 'data-id': c.id, 'aria-keyshortcuts': key ? 'Alt+' + c.mnemonic : null },
          caption(c.text, c.mnemonicAt));
        node.addEventListener('click', () => send({ id: c.id }));
        if (key) mnemonics.set(key, () => { node.focus(); node.click(); });
      }
      form.append(node);
    }
    const status = el('div', { class: 'status', role: 'status' });
    const frame = el('section', { class: 'dialog ' + table.frame, 'aria-label': table.title },
      el('div', { class: 'titlebar' }, table.title || '\u00a0'), form);
    view.replaceChildren(el('p', { class: 'crumbs' }, el('a', { href: '#/' }, 'Clients'), ' / ', name), frame, status);
    form.addEventListener('keydown', (e) => {
      if (!e.altKey || e.ctrlKey || e.metaKey || e.key.length !== 1) return;
      const act = mnemonics.get(e.key.toLowerCase());
      if (!act || finished) return;
      e.preventDefault();
      act();
    });
    await showMessages(opened.messages);
    const first = form.querySelector('input, button');
    if (first) first.focus();
  }

  // ---- Report --------------------------------------------------------------------------------
  async function showReport(name) {
    const c = await api('GET', clientPath(name));
    document.title = 'qreport: report of ' + name;
    const pages = [];
    for (let n = 1; n <= c.pages; n++) {
      pages.push(el('figure', { class: 'page' },
        el('img', { src: clientPath(name) + '/page/' + n + '.png', alt: 'Page ' + n, loading: n > 2 ? 'lazy' : null }),
        el('figcaption', {}, 'Page ' + n + ' of ' + c.pages)));
    }
    const actions = el('div', { class: 'actions' });
    if (c.pages > 0) {
      actions.append(
        el('a', { class: 'action', href: clientPath(name) + '/report.pdf', download: name + '-report.pdf' }, 'Download PDF'),
        el('a', { class: 'action', href: clientPath(name) + '/report.txt', download: name + '-report.txt' },
          'Download report.txt'));
      if (c.printable) {
        actions.append(el('button', { type: 'button', class: 'action', id: 'print', onclick: () => choosePrinter(name) },
          'Print\u2026'));
      }
    }
    actions.append(el('a', { class: 'action', href: '#/dialog/' + encodeURIComponent(name) }, 'Open the dialog again'));
    // Schedule B beside the report, for a semiweekly depositor's Form 941: the box writes it as
    // `qreport run --schedule-b` does and shows its pages; unticked, they are hidden again.
    const scheduleB = el('div', { class: 'schedule-b', id: 'schedule-b-pages' });
    function showScheduleB(state) {
      const figures = [];
      const stamp = Date.now();
      for (let n = 1; state.shown && n <= state.pages; n++) {
        figures.push(el('figure', { class: 'page' },
          el('img', { src: clientPath(name) + '/scheduleb/' + n + '.png?v=' + stamp, alt: 'Schedule B page ' + n,
            loading: 'lazy' }),
          el('figcaption', {}, 'Schedule B, page ' + n + ' of ' + state.pages)));
      }
      const links = state.shown ? el('p', { class: 'schedule-b-links' },
        el('a', { href: clientPath(name) + '/scheduleb.pdf', download: name + '-scheduleb.pdf' }, 'Download Schedule B PDF'),
        ' \u00b7 ',
        el('a', { href: clientPath(name) + '/scheduleb.txt', download: name + '-scheduleb.txt' }, 'scheduleb.txt')) : null;
      scheduleB.replaceChildren(...(state.shown ? [el('h2', {}, 'Schedule B'), links] : []), ...figures);
    }
    if (c.scheduleB) {
      const box = el('input', { type: 'checkbox', id: 'schedule-b', disabled: !c.scheduleB.due });
      box.checked = c.scheduleB.shown;
      box.addEventListener('change', async () => {
        box.disabled = true;
        try {
          showScheduleB(await api('POST', clientPath(name) + '/schedule-b', { show: box.checked }));
        } catch (e) {
          box.checked = false;
          await messageBox('Schedule B', e.message);
        }
        box.disabled = false;
      });
      actions.append(el('label', { class: 'action toggle', title: c.scheduleB.due ? 'Schedule B (Form 941) of a ' +
        'semiweekly depositor, written to scheduleb.txt beside the report' : 'No Schedule B: ' + c.scheduleB.why },
        box, ' Schedule B'));
      showScheduleB(c.scheduleB);
    }
    let lines = null;
    if (c.lines && c.lines.rows.length) {
      lines = el('table', { class: 'lines', id: 'lines' },
        el('caption', {}, 'Form ' + c.lines.form + ' lines of this report'),
        el('thead', {}, el('tr', {}, el('th', {}, 'Line'), el('th', {}, 'Amount'))),
        el('tbody', {}, ...c.lines.rows.map((r) => el('tr', {}, el('td', {}, r.line), el('td', { class: 'amount' }, r.text)))));
    }
    view.replaceChildren(
      el('p', { class: 'crumbs' }, el('a', { href: '#/' }, 'Clients'), ' / ', name),
      el('h1', {}, c.employer || name),
      el('p', { class: 'meta' }, (c.quarter ? 'Quarter ' + c.quarter + ' ' + c.year : c.year) +
        (c.report !== null ? ' \u00b7 written ' + formatTime(c.report) : ' \u00b7 no report yet')),
      actions,
      el('div', { class: 'report' }, el('div', { class: 'pages' }, ...pages, scheduleB), lines));
  }

  async function choosePrinter(name) {
    const data = await api('GET', '/api/printers');
    const select = el('select', { id: 'destination', 'aria-label': 'Print to' },
      el('option', { value: '' }, 'PDF file'),
      ...data.destinations.map((d) => el('option', { value: d }, d)));
    const ok = el('button', { type: 'button', class: 'ok' }, 'Print');
    const cancel = el('button', { type: 'button' }, 'Cancel');
    const box = el('div', { class: 'msgbox', role: 'dialog', 'aria-modal': 'true', 'aria-label': 'Print report' },
      el('div', { class: 'caption' }, 'Print report'),
      el('label', { class: 'msgtext' }, 'Print to: ', select),
      el('div', { class: 'buttons' }, ok, cancel));
    const backdrop = el('div', { class: 'backdrop' }, box);
    modalRoot.append(backdrop);
    select.focus();
    cancel.addEventListener('click', () => backdrop.remove());
    ok.addEventListener('click', async () => {
      backdrop.remove();
      try {
        const result = await api('POST', clientPath(name) + '/print', { destination: select.value });
        await messageBox('Print', result.command ? 'Handed to the print utility:\n' + result.command : (result.problem || 'Nothing was printed.'));
      } catch (e) {
        await messageBox('Print', e.message);
      }
    });
  }

  // ---- Routing -------------------------------------------------------------------------------
  async function route() {
    modalRoot.replaceChildren();
    modalChain = Promise.resolve();
    const hash = location.hash || '#/';
    try {
      let m;
      if ((m = hash.match(/^#\/dialog\/(.+)$/))) await showDialog(decodeURIComponent(m[1]));
      else if ((m = hash.match(/^#\/report\/(.+)$/))) await showReport(decodeURIComponent(m[1]));
      else await showClients();
    } catch (e) {
      view.replaceChildren(el('p', { class: 'error', role: 'alert' }, e.message), el('a', { href: '#/' }, 'Clients'));
    }
  }
  window.addEventListener('hashchange', route);
  route();
})();
)QR";

const std::string_view kAppCss = R"QR(:root { color-scheme: light; --ink: #1d2733; --line: #c5ccd6; --accent: #1f5fa8; --face: #d4d0c8; }
* { box-sizing: border-box; }
body { margin: 0; font: 15px/1.45 "DejaVu Sans", "Segoe UI", Arial, sans-serif; color: var(--ink); background: #f3f5f8; }
.top { display: flex; gap: 1rem; align-items: baseline; padding: .6rem 1.4rem; background: #17324f; color: #fff; }
.top .brand { color: #fff; font-weight: bold; font-size: 1.15rem; text-decoration: none; }
.top .sub { opacity: .75; font-size: .9rem; }
main { padding: 1rem 1.4rem 3rem; }
h1 { font-size: 1.35rem; margin: .4rem 0 .6rem; }
a { color: var(--accent); }
.root, .meta, .crumbs { color: #4d5a68; margin: .2rem 0 .8rem; }
#filter { width: min(32rem, 100%); padding: .45rem .6rem; font-size: 1rem; border: 1px solid var(--line); border-radius: 4px; }
table.clients { border-collapse: collapse; margin-top: .8rem; background: #fff; min-width: min(60rem, 100%); }
table.clients th, table.clients td { text-align: left; padding: .45rem .8rem; border-bottom: 1px solid var(--line); }
table.clients th { background: #e7ebf0; font-weight: 600; }
table.clients tr:hover td { background: #f0f5fb; }
.empty { color: #6b7684; }
.error { color: #a01c1c; font-weight: 600; }

/* The dialog: a window of the 8-point system font at 1.4 times its size. */
.dialog { display: inline-block; background: var(--face); border: 2px outset #fff; box-shadow: 2px 3px 10px rgba(0,0,0,.25); }
.dialog .titlebar { background: linear-gradient(90deg, #0a246a, #a6caf0); color: #fff; font-weight: bold;
  padding: 3px 8px; font: bold 14px "DejaVu Sans", Tahoma, sans-serif; white-space: nowrap; overflow: hidden; }
.dialog.overlapped .titlebar { background: linear-gradient(90deg, #3a5a8a, #b9cce6); }
.dialog-body { position: relative; font: 13.5px "DejaVu Sans Condensed", "DejaVu Sans", Tahoma, sans-serif; }
.dialog-body.busy { opacity: .6; pointer-events: none; }
.ctl { position: absolute; margin: 0; }
.ctl.label { white-space: nowrap; overflow: hidden; line-height: 1.2; }
.ctl.text { font: inherit; padding: 0 3px; border: 2px inset #fff; background: #fff; }
.ctl.text:focus { outline: 1px dotted #000; outline-offset: -3px; }
.ctl.check { display: flex; align-items: center; gap: 4px; white-space: nowrap; }
.ctl.check input { margin: 0; width: 15px; height: 15px; }
.ctl.button { font: inherit; background: var(--face); border: 2px outset #fff; padding: 0; cursor: pointer; }
.ctl.button:active { border-style: inset; }
.ctl.button:focus { outline: 1px dotted #000; outline-offset: -4px; }
.ctl.frame { border: 1px solid #808080; box-shadow: 1px 1px 0 #fff inset, 1px 1px 0 #fff; pointer-events: none; }
.status { margin-top: .8rem; min-height: 1.5rem; }

/* Message boxes and the printer choice: modal over the page. */
.backdrop { position: fixed; inset: 0; background: rgba(20, 30, 45, .35); display: flex; align-items: center; justify-content: center; z-index: 10; }
.msgbox { background: var(--face); border: 2px outset #fff; min-width: 20rem; max-width: 40rem; box-shadow: 3px 4px 14px rgba(0,0,0,.35); }
.msgbox .caption { background: linear-gradient(90deg, #0a246a, #a6caf0); color: #fff; font-weight: bold; padding: 3px 8px; }
.msgbox .msgtext { display: block; white-space: pre-wrap; padding: 1rem 1.2rem; font: 14px "DejaVu Sans", Tahoma, sans-serif; }
.msgbox .buttons { display: flex; justify-content: center; gap: .6rem; padding: 0 1rem 1rem; }
.msgbox button { min-width: 6rem; padding: .25rem 1rem; background: var(--face); border: 2px outset #fff; font: inherit; cursor: pointer; }
.msgbox select { font: inherit; margin-left: .4rem; }

/* The report. */
.report { display: flex; gap: 1.5rem; align-items: flex-start; flex-wrap: wrap; }
table.lines { border-collapse: collapse; background: #fff; font-size: .9rem; flex: 0 0 auto; }
table.lines caption { text-align: left; font-weight: 600; padding-bottom: .3rem; }
table.lines th, table.lines td { padding: .2rem .7rem; border-bottom: 1px solid var(--line); text-align: left; }
table.lines td.amount { text-align: right; font-variant-numeric: tabular-nums; }
.actions { display: flex; flex-wrap: wrap; gap: .6rem; margin: .4rem 0 1rem; }
.action { display: inline-block; padding: .4rem .9rem; border: 1px solid var(--accent); border-radius: 4px; background: #fff;
  color: var(--accent); text-decoration: none; font: inherit; cursor: pointer; }
.action:hover { background: #eaf2fb; }
.pages { display: flex; flex-direction: column; gap: 1.2rem; flex: 1 1 560px; max-width: 1100px; }
.page { margin: 0; }
.page img { display: block; width: 100%; height: auto; background: #fff; box-shadow: 0 1px 6px rgba(0,0,0,.25); }
.page figcaption { color: #6b7684; font-size: .85rem; margin-top: .3rem; }
.schedule-b { display: flex; flex-direction: column; gap: 1.2rem; }
.schedule-b:empty { display: none; }
.schedule-b h2 { font-size: 1.15rem; margin: .6rem 0 0; }
.schedule-b-links { margin: 0; }
.action.toggle { display: inline-flex; align-items: center; gap: .35rem; }
.action.toggle:has(input:disabled) { opacity: .55; cursor: default; }
td.findings { text-align: right; font-variant-numeric: tabular-nums; }
td.findings.errors { color: #a01c1c; font-weight: 600; }
td.findings.warnings { color: #8a5a00; }
)QR";

}  // namespace qreport::web
