// Element ids the page keeps stable (the browser test drives them):
//   #join-view   the join code form: #code (input), #join (button), #code-error
//   #main-view   shown once the code is right:
//     #search (input), #search-status, #results (ul; each li.song holds
//       .artist, .title, .kind and a button), #no-results
//     #request-form (between the search and the results): #chosen (the picked song), #name (input),
//     #key (select,
//       -6..+6), #send (button), #send-status
//     #mine (ul; each li.request holds .song, .state, .place, .wait),
//     #mine-empty, #change-code (button)
//   #texts       the page's texts as a JSON data block (never executed)
#include "requests/GuestPage.h"

#include "platform/MarkupEscape.h"
#include "requests/GuestText.h"

namespace cx {

namespace {

constexpr std::string_view kPageHead = R"HTML(<!DOCTYPE html>
<html lang="%LANG%">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="color-scheme" content="light dark">
<title>%TITLE%</title>
<link rel="stylesheet" href="/app.css">
<script src="/app.js" defer></script>
</head>
<body>
<script type="application/json" id="texts">%TEXTS%</script>
<header><h1 id="title"></h1></header>
<main>
<section id="join-view" hidden>
<form id="join-form" autocomplete="off">
<label for="code" data-text="RequestsCodeLabel"></label>
<input id="code" name="code" inputmode="text" autocapitalize="characters" spellcheck="false" maxlength="12" required>
<button id="join" type="submit" data-text="RequestsJoin"></button>
<p id="code-error" class="error" role="alert" hidden></p>
</form>
</section>
<section id="main-view" hidden>
<label for="search" data-text="RequestsSearchLabel"></label>
<input id="search" type="search" maxlength="100" autocomplete="off" spellcheck="false">
<p id="search-status" class="error" role="status"></p>
<form id="request-form" hidden>
<p id="chosen"></p>
<label for="name" data-text="RequestsNameLabel"></label>
<input id="name" maxlength="60" autocomplete="nickname" required>
<label for="key" data-text="RequestsKeyLabel"></label>
<select id="key"></select>
<button id="send" type="submit" data-text="RequestsSend"></button>
<p id="send-status" role="status"></p>
</form>
<p id="no-results" class="hint" data-text="RequestsNoResults" hidden></p>
<ul id="results"></ul>
<h2 data-text="RequestsMine"></h2>
<p id="mine-empty" class="hint" data-text="RequestsNoneYet"></p>
<ul id="mine"></ul>
<button id="change-code" type="button" class="quiet" data-text="RequestsChangeCode"></button>
</section>
</main>
</body>
</html>
)HTML";

constexpr std::string_view kScript = R"JS('use strict';
(function () {
  const texts = JSON.parse(document.getElementById('texts').textContent || '{}');
  const $ = (id) => document.getElementById(id);
  const t = (key, value) => String(texts[key] || key).replace('%1', value === undefined ? '' : value);
  const store = {
    get: (k) => { try { return localStorage.getItem(k) || ''; } catch (e) { return ''; } },
    set: (k, v) => { try { localStorage.setItem(k, v); } catch (e) { /* private mode */ } }
  };
  const state = { code: store.get('cx.code'), guest: store.get('cx.guest'), song: null, timer: 0, poll: 0 };

  function makeGuest() {
    const chars = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_';
    const bytes = new Uint8Array(24);
    crypto.getRandomValues(bytes);
    return Array.from(bytes, (b) => chars[b & 63]).join('');
  }
  if (!/^[A-Za-z0-9_-]{16,64}$/.test(state.guest)) {
    state.guest = makeGuest();
    store.set('cx.guest', state.guest);
  }

  async function call(method, path, body) {
    const headers = { 'X-Join-Code': state.code, 'X-Guest': state.guest };
    if (body) headers['Content-Type'] = 'application/json';
    let reply;
    try {
      reply = await fetch(path, { method, headers, body: body ? JSON.stringify(body) : undefined,
                                  cache: 'no-store', credentials: 'omit' });
    } catch (e) {
      return { status: 0, data: { error: 'offline' } };
    }
    let data = {};
    try { data = await reply.json(); } catch (e) { /* empty reply */ }
    if (reply.status === 403) showJoin(t('RequestsBadCode'));
    return { status: reply.status, data };
  }

  function refusal(result) {
    const error = result.data.error;
    if (result.status === 429 && error === 'tooMany') return t('RequestsTooMany', result.data.retryAfterSeconds || 1);
    if (error === 'pendingFull') return t('RequestsPendingFull');
    if (error === 'busy') return t('RequestsBusy');
    if (error === 'name') return t('RequestsBadName');
    if (error === 'offline' || result.status === 0) return t('RequestsOffline');
    return t('RequestsFailed');
  }

  function showJoin(message) {
    clearInterval(state.poll);
    $('main-view').hidden = true;
    $('join-view').hidden = false;
    $('code').value = state.code;
    $('code-error').hidden = !message;
    $('code-error').textContent = message || '';
  }

  function showMain() {
    $('join-view').hidden = true;
    $('main-view').hidden = false;
    refreshMine();
    clearInterval(state.poll);
    state.poll = setInterval(refreshMine, 3000);
  }

  async function join(event) {
    if (event) event.preventDefault();
    state.code = $('code').value.replace(/[\s-]/g, '').toUpperCase();
    const result = await call('GET', '/api/check');
    if (result.status === 200) {
      store.set('cx.code', state.code);
      showMain();
    } else if (result.status !== 403) {
      showJoin(refusal(result));
    }
  }

  function element(tag, className, text) {
    const node = document.createElement(tag);
    if (className) node.className = className;
    if (text !== undefined) node.textContent = text;
    return node;
  }

  function kindText(kind) {
    return t({ audio: 'RequestsKindAudio', cdg: 'RequestsKindCdg', midi: 'RequestsKindMidi' }[kind] || 'RequestsKindAudio');
  }

  function songText(song) {
    return song.artist ? song.artist + ' \u2013 ' + song.title : song.title;
  }

  function choose(song) {
    state.song = song;
    $('chosen').textContent = songText(song);
    $('request-form').hidden = false;
    $('send-status').textContent = '';
    $('request-form').scrollIntoView({ block: 'nearest' });
    $('name').focus();
  }

  async function search() {
    const text = $('search').value.trim();
    const list = $('results');
    if (!text) {
      list.replaceChildren();
      $('no-results').hidden = true;
      return;
    }
    const result = await call('GET', '/api/search?q=' + encodeURIComponent(text));
    if (text !== $('search').value.trim()) return;
    $('search-status').textContent = result.status === 200 ? '' : refusal(result);
    if (result.status !== 200) return;
    const songs = result.data.songs || [];
    list.replaceChildren(...songs.map((song) => {
      const item = element('li', 'song');
      item.append(element('span', 'artist', song.artist), element('span', 'title', song.title),
                  element('span', 'kind', kindText(song.kind)));
      const pick = element('button', '', t('RequestsChoose'));
      pick.type = 'button';
      pick.addEventListener('click', () => choose(song));
      item.append(pick);
      return item;
    }));
    $('no-results').hidden = songs.length > 0;
  }

  async function send(event) {
    event.preventDefault();
    if (!state.song) return;
    const name = $('name').value.trim();
    if (!name) {
      $('send-status').textContent = t('RequestsBadName');
      return;
    }
    store.set('cx.name', name);
    $('send').disabled = true;
    const result = await call('POST', '/api/request',
                              { song: state.song.id, name, key: Number($('key').value) });
    $('send').disabled = false;
    $('send-status').textContent = result.status === 200 ? t('RequestsSent') : refusal(result);
    if (result.status === 200) refreshMine();
  }

  function standingText(request) {
    if (request.state === 'rejected') return [t('RequestsRejected'), '', ''];
    if (request.state === 'sung') return [t('RequestsSung'), '', ''];
    if (request.state === 'pending') return [t('RequestsPending'), '', ''];
    const place = request.place === 1 ? t('RequestsUpNext') : request.place > 0 ? t('RequestsPlace', request.place) : '';
    const wait = request.waitSeconds >= 0 ? t('RequestsWait', Math.max(1, Math.round(request.waitSeconds / 60))) : '';
    return [t('RequestsAccepted'), place, wait];
  }

  async function refreshMine() {
    const result = await call('GET', '/api/mine');
    if (result.status !== 200) return;
    const requests = result.data.requests || [];
    $('mine').replaceChildren(...requests.map((request) => {
      const item = element('li', 'request');
      const [stateText, place, wait] = standingText(request);
      let song = songText(request);
      if (request.keyShift) song += ' (' + (request.keyShift > 0 ? '+' : '') + request.keyShift + ')';
      item.append(element('span', 'song', song), element('span', 'name', request.name),
                  element('span', 'state', stateText), element('span', 'place', place),
                  element('span', 'wait', wait));
      item.dataset.state = request.state;
      return item;
    }));
    $('mine-empty').hidden = requests.length > 0;
  }

  function start() {
    document.title = t('RequestsPageTitle');
    $('title').textContent = t('RequestsPageTitle');
    document.querySelectorAll('[data-text]').forEach((node) => { node.textContent = t(node.dataset.text); });
    $('search').placeholder = t('RequestsSearchHint');
    for (let k = -6; k <= 6; k++) {
      const option = element('option', '', (k > 0 ? '+' : '') + k);
      option.value = String(k);
      option.selected = k === 0;
      $('key').append(option);
    }
    $('name').value = store.get('cx.name');
    $('join-form').addEventListener('submit', join);
    $('request-form').addEventListener('submit', send);
    $('search').addEventListener('input', () => {
      clearTimeout(state.timer);
      state.timer = setTimeout(search, 250);
    });
    $('change-code').addEventListener('click', () => showJoin(''));
    // The QR code on the screen carries the code: a guest who scans it joins at once.
    const here = new URL(location.href);
    const scanned = here.searchParams.get('code');
    if (scanned) {
      state.code = scanned.replace(/[\s-]/g, '').toUpperCase().slice(0, 12);
      here.searchParams.delete('code');
      history.replaceState(null, '', here.pathname + here.search);
    }
    if (state.code) {
      $('code').value = state.code;
      join();
    } else {
      showJoin('');
    }
  }

  start();
})();
)JS";

constexpr std::string_view kStyle = R"CSS(:root {
  --bg: #fafafa; --fg: #1b1b1f; --muted: #5f6368; --card: #ffffff; --line: #d9d9de;
  --accent: #7b2cbf; --accent-fg: #ffffff; --error: #b00020;
  color-scheme: light dark;
}
@media (prefers-color-scheme: dark) {
  :root { --bg: #121216; --fg: #ececf1; --muted: #a0a0aa; --card: #1e1e24; --line: #34343c;
          --accent: #c77dff; --accent-fg: #121216; --error: #ff6b81; }
}
* { box-sizing: border-box; }
body { margin: 0; background: var(--bg); color: var(--fg);
       font: 17px/1.4 system-ui, -apple-system, "Segoe UI", Roboto, sans-serif; }
header { background: var(--accent); color: var(--accent-fg); padding: 0.6rem 1rem; }
h1 { font-size: 1.3rem; margin: 0; }
h2 { font-size: 1.1rem; margin: 1.4rem 0 0.4rem; }
main { max-width: 40rem; margin: 0 auto; padding: 1rem; }
label { display: block; margin: 0.8rem 0 0.3rem; color: var(--muted); font-size: 0.9rem; }
input, select, button { font: inherit; width: 100%; padding: 0.65rem 0.75rem; border-radius: 0.5rem;
                        border: 1px solid var(--line); background: var(--card); color: var(--fg); }
#code { text-transform: uppercase; letter-spacing: 0.3em; font-size: 1.4rem; text-align: center; }
button { background: var(--accent); color: var(--accent-fg); border: none; font-weight: 600;
         margin-top: 0.8rem; cursor: pointer; }
button:disabled { opacity: 0.5; }
button.quiet { background: transparent; color: var(--muted); font-weight: 400; }
ul { list-style: none; margin: 0.6rem 0; padding: 0; }
li { background: var(--card); border: 1px solid var(--line); border-radius: 0.5rem;
     padding: 0.6rem 0.75rem; margin-bottom: 0.5rem; display: grid; gap: 0.1rem 0.6rem;
     grid-template-columns: 1fr auto; overflow-wrap: anywhere; }
li.song .artist { grid-column: 1; color: var(--muted); font-size: 0.9rem; }
li.song .title { grid-column: 1; font-weight: 600; }
li.song .kind { grid-column: 1; color: var(--muted); font-size: 0.8rem; text-transform: uppercase; }
li.song button { grid-column: 2; grid-row: 1 / span 3; width: auto; margin: 0; align-self: center; }
li.request .song { grid-column: 1 / span 2; font-weight: 600; }
li.request .name, li.request .wait { color: var(--muted); font-size: 0.9rem; }
li.request .place { font-weight: 600; color: var(--accent); }
#chosen { font-weight: 600; margin: 0.4rem 0; }
#request-form { background: var(--card); border: 1px solid var(--line); border-radius: 0.5rem;
                padding: 0.2rem 0.8rem 0.8rem; }
.error { color: var(--error); }
.hint { color: var(--muted); }
[hidden] { display: none !important; }
)CSS";

void ReplaceAll(std::string& text, std::string_view marker, std::string_view value) {
    for (std::size_t at = text.find(marker); at != std::string::npos;
         at = text.find(marker, at + value.size()))
        text.replace(at, marker.size(), value);
}

}  // namespace

const std::vector<std::string_view>& GuestTextKeys() {
    static const std::vector<std::string_view> keys = {
        "RequestsPageTitle",   "RequestsCodeLabel",  "RequestsJoin",        "RequestsBadCode",
        "RequestsSearchLabel", "RequestsSearchHint", "RequestsNoResults",   "RequestsChoose",
        "RequestsNameLabel",   "RequestsKeyLabel",   "RequestsSend",        "RequestsSent",
        "RequestsMine",        "RequestsNoneYet",    "RequestsPending",     "RequestsAccepted",
        "RequestsRejected",    "RequestsSung",       "RequestsPlace",       "RequestsUpNext",
        "RequestsWait",        "RequestsTooMany",    "RequestsPendingFull", "RequestsBusy",
        "RequestsBadName",     "RequestsFailed",     "RequestsOffline",     "RequestsChangeCode",
        "RequestsKindAudio",   "RequestsKindCdg",    "RequestsKindMidi"};
    return keys;
}

std::string GuestPageHtml(const GuestTexts& texts) {
    std::string json = "{";
    for (const auto& [key, text] : texts.texts) {
        if (json.size() > 1) json += ',';
        json += JsonString(key) + ':' + JsonString(text);
    }
    json += '}';
    const auto title = texts.texts.find("RequestsPageTitle");
    std::string page(kPageHead);
    ReplaceAll(page, "%LANG%", EscapeMarkup(texts.language));
    ReplaceAll(page, "%TITLE%",
               EscapeMarkup(title == texts.texts.end() ? std::string() : title->second));
    ReplaceAll(page, "%TEXTS%", json);
    return page;
}

std::string_view GuestPageScript() {
    return kScript;
}

std::string_view GuestPageStyle() {
    return kStyle;
}

}  // namespace cx
